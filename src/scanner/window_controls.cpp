#include "scanner/window_controls.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QStringList>

namespace scanner {
namespace {

template <class Control>
Control* place(Control* control, const char* name, const QRect& geometry) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(geometry);
  return control;
}

}  // namespace

void use_layout_font_substitutes() {
  static const bool installed = [] {
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("Liberation Sans"),
                                                          QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif Condensed")});
    return true;
  }();
  Q_UNUSED(installed);
}

QLabel* add_label(QWidget* window, const char* name, int left, int top, const QString& text) {
  auto* label = new QLabel(window);
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
