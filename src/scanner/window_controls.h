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

// Lets the faces the windows are laid out for fall back to faces of about the
// same width where they are missing (Linux), so captions keep their room.
// Process-wide; the first window calls it.
void use_layout_font_substitutes();

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

// Sets a label's text and sizes the label to it, so a long path is not cut.
void show_text(QLabel* label, const QString& text);

// Paints the caption of `button` in `colour`.
void show_caption_colour(QPushButton* button, const QColor& colour);

// Shows `fault` on an edit field: its text in red, `fault` as its tooltip.
// An empty `fault` gives the field its normal text colour back.
void show_fault(QLineEdit* field, const QString& fault);

}  // namespace scanner
