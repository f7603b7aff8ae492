#include "support/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace test_support {
namespace {

int text_width(const QWidget& control, const QString& text) {
  return control.fontMetrics().horizontalAdvance(text);
}

QString name_of(const QWidget& control) {
  return control.objectName().isEmpty() ? QString::fromLatin1(control.metaObject()->className())
                                        : control.objectName();
}

// The room a button's style leaves for its text.
int button_text_room(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  if (qobject_cast<const QCheckBox*>(&button)) {
    return button.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &button).width();
  }
  return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

// The part of `label` its text is drawn in: from its left (or right, when
// aligned so) for the text's width, at most the label's width.
QRect drawn_text_rect(const QLabel& label) {
  const int width = std::min(text_width(label, label.text()), label.width());
  QRect text = label.geometry();
  if (label.alignment() & Qt::AlignRight) text.setLeft(text.right() - width + 1);
  text.setWidth(width);
  return text;
}

// The room `label`'s text takes: one line, or for a label that wraps its
// words, the lines they break into within its width (a long path on a
// line of its own).
QSize text_size(const QLabel& label) {
  if (!label.wordWrap()) return {text_width(label, label.text()), 0};
  const QRect unbounded(0, 0, label.contentsRect().width(), 1 << 20);
  return label.fontMetrics().boundingRect(unbounded, Qt::TextWordWrap, label.text()).size();
}

void check_label(const QLabel& label, QStringList& faults) {
  if (label.text().isEmpty() || !label.pixmap().isNull()) return;
  const QSize needed = text_size(label);
  const QRect room = label.contentsRect();
  if ((needed.width() > room.width() || needed.height() > room.height()) &&
      label.toolTip() != label.text()) {
    faults << QStringLiteral("%1 \"%2\": %3 x %4 px of text in %5 x %6 px")
                  .arg(name_of(label), label.text())
                  .arg(needed.width())
                  .arg(needed.height())
                  .arg(room.width())
                  .arg(room.height());
  }
  const QWidget* parent = label.parentWidget();
  const QRect text = drawn_text_rect(label);
  for (const QObject* object : parent->children()) {
    const auto* sibling = qobject_cast<const QWidget*>(object);
    if (!sibling || sibling == &label || !sibling->isVisible()) continue;
    // Drawn after the label, a sibling covers the label's text.
    if (parent->children().indexOf(sibling) < parent->children().indexOf(&label) &&
        !qobject_cast<const QLabel*>(sibling))
      continue;
    if (sibling->geometry().intersects(text)) {
      faults << QStringLiteral("%1 \"%2\" runs under %3")
                    .arg(name_of(label), label.text(), name_of(*sibling));
    }
  }
}

void check_button(const QAbstractButton& button, QStringList& faults) {
  if (button.text().isEmpty()) return;
  const QString text = QString(button.text()).remove(QLatin1Char('&'));
  const int needed = text_width(button, text);
  const int room = button_text_room(button);
  if (needed > room) {
    faults << QStringLiteral("%1 \"%2\": %3 px of text in %4 px")
                  .arg(name_of(button), text)
                  .arg(needed)
                  .arg(room);
  }
}

}  // namespace

QStringList texts_not_fitting(const QWidget& window) {
  QStringList faults;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->isVisible()) check_label(*label, faults);
  }
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (button->isVisible()) check_button(*button, faults);
  }
  return faults;
}

}  // namespace test_support
