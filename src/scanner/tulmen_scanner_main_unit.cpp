#include "scanner/tulmen_scanner_main_unit.h"

#include "scanner/window_controls.h"

TTULMEN_scanner_main::TTULMEN_scanner_main(QWidget* parent) : TVELLIC_spectrum_scanner(parent) {
  setWindowTitle(QStringLiteral("TULMEN_scanner_main"));
  // A test button of the TULMEN variant; its operator never sees it.
  Button1 = scanner::add_button(this, "Button1", {509, 200, 100, 25}, QStringLiteral("Button1"));
  Button1->hide();
}

void TTULMEN_scanner_main::FormCreate() {
  TVELLIC_spectrum_scanner::FormCreate();
  my_file_content.clear();
  initialize_sc_data();
  active_button->setFocus();
}

// The TULMEN CSV scan is not built yet.
void TTULMEN_scanner_main::timer_action() {}

// The TULMEN scan record belongs to the TULMEN CSV scan, not built yet.
void TTULMEN_scanner_main::initialize_sc_data() {}
