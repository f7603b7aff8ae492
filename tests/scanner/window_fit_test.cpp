// Every scanner window as the operator sees it on a line PC's screen of
// 1024 x 768: the window fits with its frame and the task bar, and no
// caption, button text or path is cut or hidden under another control.

#include <QLabel>
#include <QFontInfo>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/session.h"
#include "scanner/DORNIK_scanner_unit.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"
#include "scanner/tulmen_scanner_main_unit.h"
#include "scanner/vellic_spectrum_scanner_unit.h"
#include "scanner/window_controls.h"
#include "scanner_site.h"
#include "support/text_fit.h"

namespace {

using test_support::scanner_site;

// A Windows frame takes 8 px on each side and 31 px for the title; the task
// bar 40 px.
constexpr int kLargestClientWidth = 1024 - 2 * 8;
constexpr int kLargestClientHeight = 768 - 40 - 31 - 8;

template <class Window>
std::unique_ptr<QWidget> shown_window(const scanner_site& site) {
  std::unique_ptr<QWidget> window = site.create_window<Window>();
  window->show();
  return window;
}

TEST(WindowFitTest, EveryWindowFitsTheLinePcScreenWithNothingCut) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<QWidget>(const scanner_site&)> open;
  } windows[] = {
      {"VELLIC", shown_window<TVELLIC_spectrum_scanner>},
      {"TULMEN", shown_window<TTULMEN_scanner_main>},
      {"SELMAR", shown_window<TSELMAR_spectrum_scanner_main>},
      {"Halvik", shown_window<THalvik_scanner_main>},
      {"DORNIK", shown_window<TDORNIK_scanner_main>},
  };
  for (const auto& w : windows) {
    SCOPED_TRACE(w.name);
    scanner_site site;
    // Long names, as a real deployment has them.
    site.make_vellic_tree(
        QStringLiteral("Low-E 1.1 double silver, 6 mm float, customer line 3, second shift"),
        QStringLiteral("LUMOR_TRAVERSE"));
    const std::unique_ptr<QWidget> window = w.open(site);
    // Paths as deep as a line PC's measurement tree.
    for (QLabel* label : window->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (label->objectName().endsWith(QLatin1String("path_label")) && label->isVisible()) {
        scanner::show_text(label, site.path(QStringLiteral("v/database/products/") +
                                            QString(label->objectName()).repeated(4) +
                                            QStringLiteral("/measurements/LUMOR_TRAVERSE/new")));
      }
    }
    // Drawn in the face the layout was made for, where the system has it.
    if (!platform::layout_font_files().isEmpty()) {
      EXPECT_EQ(QFontInfo(window->font()).family(), QStringLiteral("Tahoma"));
    }
    EXPECT_LE(window->width(), kLargestClientWidth);
    EXPECT_LE(window->height(), kLargestClientHeight);
    const QStringList cut = test_support::texts_not_fitting(*window);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
  }
}

}  // namespace
