#include "scanner/window_controls.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QStringList>
#include <QStyle>

#include <algorithm>

namespace scanner {
namespace {

// The least room between a text and the next control on its row.
constexpr int kGap = 4;

// A label narrower than its text (a path longer than the window has room
// for) draws it shortened in the middle, so both its start and its end stay
// readable; show_text puts the whole text in its tooltip.
class fitted_label : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QRect room = contentsRect();
    if (fontMetrics().horizontalAdvance(text()) <= room.width()) {
      QLabel::paintEvent(event);
      return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()),
                          foregroundRole());
  }
};

// How wide `label` may be: up to the nearest control its window shows right
// of it on its row (the operator's panel included), at most to the window's
// edge.
int room_on_row(const QLabel* label) {
  const QWidget* window = label->parentWidget();
  int right = window->width();
  for (const QObject* child : window->children()) {
    const auto* control = qobject_cast<const QWidget*>(child);
    if (!control || control == label || control->isHidden() || control->x() <= label->x()) {
      continue;
    }
    const QRect place = control->geometry();
    if (place.top() > label->geometry().bottom() || place.bottom() < label->y()) continue;
    right = std::min(right, place.left() - kGap);
  }
  return std::max(0, right - label->x());
}

template <class Control>
Control* place(Control* control, const char* name, const QRect& geometry) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(geometry);
  return control;
}

}  // namespace

QLabel* add_label(QWidget* window, const char* name, int left, int top, const QString& text) {
  auto* label = new fitted_label(window);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  show_text(label, text);
  return label;
}

QLineEdit* add_edit(QWidget* window, const char* name, const QRect& geometry, const QString& text) {
  return place(new QLineEdit(text, window), name, geometry);
}

QPushButton* add_button(QWidget* window, const char* name, const QRect& geometry,
                        const QString& text) {
  auto* button = place(new QPushButton(text, window), name, geometry);
  // Buttons take the focus on click, as the operator's platform does.
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

QCheckBox* add_check_box(QWidget* window, const char* name, const QRect& geometry,
                         const QString& text) {
  return place(new QCheckBox(text, window), name, geometry);
}

QPlainTextEdit* add_memo(QWidget* window, const char* name, const QRect& geometry,
                         const QStringList& lines) {
  auto* memo = place(new QPlainTextEdit(window), name, geometry);
  set_lines(memo, lines);
  return memo;
}

void set_lines(QPlainTextEdit* memo, const QStringList& lines) {
  memo->setPlainText(lines.join(QLatin1Char('\n')));
}

void hide_controls(std::initializer_list<QWidget*> controls) {
  for (QWidget* control : controls) control->hide();
}

void show_text(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
  const int room = room_on_row(label);
  const bool shortened = label->width() > room;
  if (shortened) label->resize(room, label->height());
  label->setToolTip(shortened ? text : QString());
}

void end_before(QLabel* caption, const QWidget* control) {
  const int right = control->x() - kGap;
  if (caption->x() + caption->width() <= right) return;
  caption->move(right - caption->width(), caption->y());
}

void show_caption_colour(QPushButton* button, const QColor& colour) {
  QPalette caption = button->palette();
  caption.setColor(QPalette::ButtonText, colour);
  button->setPalette(caption);
}

void show_fault(QLineEdit* field, const QString& fault) {
  // Unchanged at most ticks: no repaint then.
  if (field->toolTip() == fault) return;
  QPalette colours = field->palette();
  colours.setColor(QPalette::Text, fault.isEmpty()
                                       ? field->parentWidget()->palette().color(QPalette::Text)
                                       : QColor(Qt::red));
  field->setPalette(colours);
  field->setToolTip(fault);
}

}  // namespace scanner
