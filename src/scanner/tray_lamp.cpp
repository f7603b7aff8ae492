#include "scanner/tray_lamp.h"

#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace scanner {

QColor lamp_qcolor(lamp_colour colour) {
  switch (colour) {
    case lamp_colour::green:
      return QColor(30, 170, 60);
    case lamp_colour::grey:
      return QColor(150, 150, 150);
    case lamp_colour::amber:
      return QColor(240, 160, 0);
    case lamp_colour::red:
      return QColor(220, 30, 30);
  }
  return Qt::black;
}

QIcon lamp_icon(lamp_colour colour, int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(lamp_qcolor(colour).darker(150), 1));
  painter.setBrush(lamp_qcolor(colour));
  painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
  return QIcon(picture);
}

std::optional<tray_notice> notice_for(const basics::history_record& record) {
  if (record.result != basics::history_result::set_aside &&
      record.result != basics::history_result::error) {
    return std::nullopt;
  }
  const QString plate = record.plate ? QStringLiteral(" (plate %1)").arg(*record.plate) : QString();
  return tray_notice{
      record.input + plate + QStringLiteral(": ") + basics::result_word(record.result),
      record.message};
}

tray_lamp::tray_lamp(QWidget* window) : QObject(window), window_(window) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  icon_ = new QSystemTrayIcon(lamp_icon(colour_), this);
  icon_->setToolTip(window_->windowTitle());
  connect(icon_, &QSystemTrayIcon::activated, this, [this] {
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
  });
  icon_->show();
}

void tray_lamp::show_lamp(const lamp& current) {
  colour_ = current.colour;
  if (!icon_) return;
  icon_->setIcon(lamp_icon(current.colour));
  icon_->setToolTip(window_->windowTitle() + QStringLiteral("\n") + current.text);
}

void tray_lamp::notify(const tray_notice& notice) {
  last_notice_ = notice;
  if (!icon_ || !QSystemTrayIcon::supportsMessages()) return;
  icon_->showMessage(notice.title, notice.text, QSystemTrayIcon::Warning);
}

}  // namespace scanner
