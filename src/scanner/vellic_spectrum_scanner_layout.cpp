// The base window's layout: its controls where the form puts them, its
// timers, and the operator's panel right of the layout.

#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRect>
#include <QTimer>

#include "dialogs/form_font.h"
#include "scanner/operator_panel.h"
#include "scanner/operator_view.h"
#include "scanner/vellic_spectrum_scanner_unit.h"
#include "scanner/window_controls.h"

namespace {

// The layout's own client area; the operator's panel lies right of it.
constexpr int kLayoutWidth = 627;
constexpr int kLayoutHeight = 593;

}  // namespace

TVELLIC_spectrum_scanner::TVELLIC_spectrum_scanner(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("VELLIC_spectrum_scanner"));
  resize(kLayoutWidth + scanner::operator_panel::kWidth, kLayoutHeight);
  setFont(form_font());
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor(0, 255, 255));  // aqua
  setPalette(background);
  setAutoFillBackground(true);

  create_controls();
  create_postbake_controls();
  create_timers();
  create_operator_view();
}

void TVELLIC_spectrum_scanner::create_operator_view() {
  view_ = new scanner::operator_view(
      this, QRect(kLayoutWidth, 0, scanner::operator_panel::kWidth, kLayoutHeight));
  connect(this, &TVELLIC_spectrum_scanner::lamp_changed, view_, &scanner::operator_view::show_lamp);
  connect(this, &TVELLIC_spectrum_scanner::file_handled, view_,
          &scanner::operator_view::show_handled);
  connect(view_, &scanner::operator_view::looked_again, this,
          &TVELLIC_spectrum_scanner::refresh_operator_view);
}

void TVELLIC_spectrum_scanner::create_controls() {
  using namespace scanner;
  Label5 = add_label(this, "Label5", 8, 8, QStringLiteral("VELLIC spectrum scanner"));
  Label5->setFont(times_font(21));
  Label5->adjustSize();

  active_button = add_button(this, "active_button", {276, 11, 100, 30}, QStringLiteral("Active"));
  clear_button =
      add_button(this, "clear_button", {390, 11, 100, 30}, QStringLiteral("Clear input"));
  Label4 = add_label(this, "Label4", 16, 77, QStringLiteral("Input path exsitu:"));
  input_path_editor = add_edit(this, "input_path_editor", {112, 74, 497, 21},
                               QStringLiteral("Specify input path here"));
  VELLIC_path_caption =
      add_label(this, "VELLIC_path_caption", 40, 110, QStringLiteral("VELLIC path:"));
  VELLIC_path_label = add_label(this, "VELLIC_path_label", 136, 110, QStringLiteral("---"));
  cp_lab = add_label(this, "cp_lab", 40, 129, QStringLiteral("Current product:"));
  product_label = add_label(this, "product_label", 136, 129, QStringLiteral("---"));
  lumor_lab = add_label(this, "lumor_lab", 416, 137, QStringLiteral("LUMOR exsitu:"));
  output_path_editor = add_edit(this, "output_path_editor", {472, 134, 137, 21},
                                QStringLiteral("Specify LUMOR name here"));
  Label3 = add_label(this, "Label3", 16, 245, QStringLiteral("Last action:"));
  action_label = add_label(this, "action_label", 82, 245, QStringLiteral("------"));

  dgt_lab = add_label(this, "dgt_lab", 40, 148, QStringLiteral("Data go to:"));
  total_output_path_label =
      add_label(this, "total_output_path_label", 136, 148, QStringLiteral("---"));
  Label4b = add_label(this, "Label4b", 416, 161, QStringLiteral("LUMOR insitu:"));
  lumor_insitu_editor = add_edit(this, "lumor_insitu_editor", {472, 158, 137, 21},
                                 QStringLiteral("Specify LUMOR name here"));
  automatic_product_identification =
      add_check_box(this, "automatic_product_identification", {16, 222, 217, 17},
                    QStringLiteral("Automatic product identification"));
  start_active_check_box = add_check_box(this, "start_active_check_box", {240, 222, 97, 17},
                                         QStringLiteral("Start active"));
  end_before(lumor_lab, output_path_editor);
  end_before(Label4b, lumor_insitu_editor);
  hide_controls({dgt_lab, total_output_path_label, Label4b, lumor_insitu_editor,
                 automatic_product_identification, start_active_check_box});
  path_fields.add(input_path_editor, applied_fields::kind::folder);
  path_fields.add(output_path_editor, applied_fields::kind::name);

  on_click(active_button, &TVELLIC_spectrum_scanner::active_buttonClick);
  on_click(clear_button, &TVELLIC_spectrum_scanner::clear_buttonClick);
}

void TVELLIC_spectrum_scanner::create_postbake_controls() {
  using namespace scanner;
  vellic_postbake_path_ =
      add_label(this, "vellic_postbake_path_", 40, 170, QStringLiteral("VELLIC postbake path:"));
  vellic_postbake_path_label =
      add_label(this, "vellic_postbake_path_label", 176, 170, QStringLiteral("---"));
  Label7 = add_label(this, "Label7", 40, 186, QStringLiteral("Current postbake product:"));
  postbake_product_label =
      add_label(this, "postbake_product_label", 176, 186, QStringLiteral("---"));
  Label9 = add_label(this, "Label9", 40, 202, QStringLiteral("Postbake data go to:"));
  postbake_total_output_path_label =
      add_label(this, "postbake_total_output_path_label", 176, 202, QStringLiteral("---"));
  Label11 = add_label(this, "Label11", 416, 186, QStringLiteral("LUMOR:"));
  postbake_output_path_editor = add_edit(this, "postbake_output_path_editor", {472, 183, 137, 21},
                                         QStringLiteral("Specify LUMOR name here"));
  end_before(Label11, postbake_output_path_editor);
  path_fields.add(postbake_output_path_editor, applied_fields::kind::name);
  show_postbake_controls(false);
}

void TVELLIC_spectrum_scanner::show_postbake_controls(bool visible) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           vellic_postbake_path_, vellic_postbake_path_label, Label7, postbake_product_label,
           Label9, postbake_total_output_path_label, Label11, postbake_output_path_editor}) {
    control->setVisible(visible);
  }
}

void TVELLIC_spectrum_scanner::create_timers() {
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TVELLIC_spectrum_scanner::Timer1Timer);

  // The heartbeat runs from the start; its ticks write nothing until the
  // heartbeat file's place is known.
  alive_timer = new QTimer(this);
  alive_timer->setObjectName(QStringLiteral("alive_timer"));
  alive_timer->setInterval(5000);
  connect(alive_timer, &QTimer::timeout, this, &TVELLIC_spectrum_scanner::alive_timerTimer);
  alive_timer->start();
}
