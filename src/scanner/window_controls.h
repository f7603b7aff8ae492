#pragma once

// Small builders for the controls of the scanner windows. The windows are laid
// out at fixed pixel positions, as their operators know them; every control
// carries its layout name as its object name, so tests and tools find it.

#include <QString>
#include <QStringList>

#include <initializer_list>

class QCheckBox;
class QColor;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRect;
class QWidget;

namespace scanner {

// A label at (left, top) that sizes itself to its text.
QLabel* add_label(QWidget* window, const char* name, int left, int top, const QString& text);
QLineEdit* add_edit(QWidget* window, const char* name, const QRect& geometry, const QString& text);
QPushButton* add_button(QWidget* window, const char* name, const QRect& geometry,
                        const QString& text);
QCheckBox* add_check_box(QWidget* window, const char* name, const QRect& geometry,
                         const QString& text);
// A multi-line edit the operator may type into; its lines are `lines`.
QPlainTextEdit* add_memo(QWidget* window, const char* name, const QRect& geometry,
                         const QStringList& lines);

// Replaces the text of a multi-line edit by `lines`.
void set_lines(QPlainTextEdit* memo, const QStringList& lines);

// Controls that a window declares but its operator never sees.
void hide_controls(std::initializer_list<QWidget*> controls);

// Sets a label's text and sizes the label to it, as far as its row has
// room: a text too long for it (a path) is shown shortened in the middle,
// whole in the label's tooltip.
void show_text(QLabel* label, const QString& text);

// Moves `caption` left, where its text would run under `control`, the
// field it names, so that it ends just before it: the layout's positions
// were drawn for narrower faces than some systems have.
void end_before(QLabel* caption, const QWidget* control);

// Paints the caption of `button` in `colour`.
void show_caption_colour(QPushButton* button, const QColor& colour);

// Shows `fault` on an edit field: its text in red, `fault` as its tooltip.
// An empty `fault` gives the field its normal text colour back.
void show_fault(QLineEdit* field, const QString& fault);

}  // namespace scanner
