#include "scanner/tulmen_scanner_main_unit.h"

#include <QCheckBox>
#include <QTimer>

#include "basics/text.h"
#include "conversion/tulmen_conversion.h"
#include "platform/operator_prompts.h"
#include "scanner/window_controls.h"

namespace {

// q + line feed + carriage return + r for v = 4 q + r, q rounded up when r
// is not 0 (both truncated toward zero, r with the sign of v).
QString groups_of_four(int v) {
  const int r = v % 4;
  const int q = v / 4 + (r != 0 ? 1 : 0);
  return QString::number(q) + QStringLiteral("\n\r") + QString::number(r);
}

}  // namespace

TTULMEN_scanner_main::TTULMEN_scanner_main(QWidget* parent) : TVELLIC_spectrum_scanner(parent) {
  setWindowTitle(QStringLiteral("TULMEN_scanner_main"));
  scanner::show_text(Label5, QStringLiteral("TULMEN scanner"));
  automatic_product_identification->show();
  // A test button of the TULMEN variant; its operator never sees it.
  Button1 = scanner::add_button(this, "Button1", {509, 200, 100, 25}, QStringLiteral("Button1"));
  Button1->hide();
  // Virtual: a derived window's Button1 runs its own handler.
  on_click(Button1, &TTULMEN_scanner_main::Button1Click);
}

void TTULMEN_scanner_main::FormCreate() {
  TVELLIC_spectrum_scanner::FormCreate();
  my_file_content.clear();
  initialize_sc_data();
  active_button->setFocus();
}

void TTULMEN_scanner_main::timer_action() {
  const scan_step_pause pause(this);
  Timer1->setInterval(1000);
  extension = QString::fromLatin1(conversion::kTulmenMask);
  compose_total_output_path();
  conversion::tulmen_options options;
  options.no_scan_files = no_scan_files;
  if (automatic_product_identification->isChecked()) {
    options.identify_product = [this](float largest, conversion::context& ctx) {
      identify_tulmen_product(largest);
      ctx.product = product;
      ctx.output_folder = total_output_path;
    };
  }
  conversion::handle_tulmen(conversion_context(input_path), tulmen_state_, options);
}

void TTULMEN_scanner_main::initialize_sc_data() {
  basics::shape_tulmen_record(sc_data);
}

void TTULMEN_scanner_main::identify_tulmen_product(float max) {
  product = basics::tulmen_product(max);
  set_new_product();
  compose_total_output_path();
}

void TTULMEN_scanner_main::Button1Click() {
  const QString answer = platform::prompts().input_box(QStringLiteral("test"),
                                                       QStringLiteral("Input number: "), QString());
  if (const std::optional<int> v = basics::parse_integer(answer)) {
    platform::prompts().show_message(groups_of_four(*v));
  }
}

QList<scanner::watched_folder> TTULMEN_scanner_main::watched_folders() {
  return {
      {QStringLiteral("input folder"), input_path, QString::fromLatin1(conversion::kTulmenMask)},
      watched_output(),
      watched_archive(compute_archive_path())};
}
