#pragma once

// The status lamp in the desktop's tray, for an operator who has minimised
// the window: an icon of the lamp's colour and a notification for each
// error and set-aside file. Where the desktop has no tray (a service, the
// offscreen platform) there is no icon; the lamp and its notices are still
// kept, so what would be shown can be checked.

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>

#include <optional>

#include "basics/history_file.h"
#include "scanner/operator_state.h"

class QSystemTrayIcon;
class QWidget;

namespace scanner {

QColor lamp_qcolor(lamp_colour colour);
// A filled circle of the lamp's colour.
QIcon lamp_icon(lamp_colour colour, int size = 32);

struct tray_notice {
  QString title;
  QString text;
  friend bool operator==(const tray_notice&, const tray_notice&) = default;
};

// The notice for a handled file: only a file set aside or ended by an error
// calls the operator.
std::optional<tray_notice> notice_for(const basics::history_record& record);

class tray_lamp : public QObject {
  Q_OBJECT

 public:
  // An icon in the tray when the desktop has one; a click on it brings
  // `window` back.
  explicit tray_lamp(QWidget* window);

  bool has_icon() const { return icon_ != nullptr; }
  void show_lamp(const lamp& current);
  void notify(const tray_notice& notice);

  // What the icon shows and last told, tray or not.
  lamp_colour colour() const { return colour_; }
  const std::optional<tray_notice>& last_notice() const { return last_notice_; }

 private:
  QWidget* window_;
  QSystemTrayIcon* icon_ = nullptr;
  lamp_colour colour_ = lamp_colour::grey;
  std::optional<tray_notice> last_notice_;
};

}  // namespace scanner
