// The end of a window program on a termination request while a message box
// waits: the box ends as if cancelled, the settings are written as at a
// normal close, no scan step starts any more and every event loop ends.

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "basics/error.h"
#include "conversion/context.h"
#include "dialogs/qt_prompts.h"
#include "program/window_session.h"
#include "scanner/vellic_spectrum_scanner_unit.h"
#include "scanner_site.h"
#include "support/file_lines.h"
#include "support/modal_script.h"

namespace {

using test_support::scanner_site;

// The main window whose exsitu step fails, so the general error report
// shows its box after each step.
class failing_window : public TDORNIK_scanner_main {
 public:
  void handle_exsitu_data() override {
    ++steps;
    throw basics::error(QStringLiteral("disk gone"));
  }
  int steps = 0;
};

QStringList shown_dialogs() {
  QStringList shown;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QDialog*>(widget) != nullptr && widget->isVisible()) {
      shown << widget->metaObject()->className();
    }
  }
  return shown;
}

TEST(ShutdownTest, ATerminationRequestEndsTheBoxSavesTheSettingsAndEndsTheLoop) {
  scanner_site site;
  site.make_vellic_tree();
  site.tree.write("in/a.csv", "x");
  const QByteArray before = site.program_file_bytes(QStringLiteral("vellic_scanner.ini"));
  qt_prompts dialogs;
  platform::scoped_prompts real_boxes(&dialogs);
  auto window = site.create_window<failing_window>();
  window->show();

  // The box of the first step's error waits; the request comes while it is
  // open, from inside its event loop, as the signal's notifier delivers it.
  int steps_at_request = -1;
  QString box_text;
  test_support::modal_script operator_;
  operator_.then([&](QWidget* shown) {
    if (auto* box = qobject_cast<QMessageBox*>(shown)) box_text = box->text();
    steps_at_request = window->steps;
    program::end_program(dialogs, window.get());
  });
  // A hang guard, never reached when the request works.
  bool hung = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    hung = true;
    for (QWidget* widget : QApplication::topLevelWidgets()) widget->close();
    QCoreApplication::exit(1);
  });
  guard.start(20000);
  // The first step comes by itself once the loop runs.
  const int exit_code = QApplication::exec();
  guard.stop();

  ASSERT_FALSE(hung) << "shown: " << shown_dialogs().join(' ').toStdString();
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(box_text, QStringLiteral("disk gone"));
  EXPECT_TRUE(shown_dialogs().isEmpty()) << shown_dialogs().join(' ').toStdString();
  EXPECT_FALSE(window->isVisible());
  // Written as a normal close writes it: all twelve lines.
  const QStringList written =
      test_support::crlf_lines(site.program_file_bytes(QStringLiteral("vellic_scanner.ini")));
  EXPECT_NE(site.program_file_bytes(QStringLiteral("vellic_scanner.ini")), before);
  EXPECT_EQ(written.size(), 12);
  EXPECT_EQ(written.value(0), site.path("in"));
  // The step that showed the box was the last one; nothing starts another.
  EXPECT_EQ(steps_at_request, 1);
  EXPECT_EQ(window->steps, 1);
  EXPECT_FALSE(window->Timer1->isActive());
  window->Timer1Timer();
  window->active_button->click();
  window->active_button->click();
  EXPECT_EQ(window->steps, 1);
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_FALSE(window->alive_timer->isActive());
}

// The base window, whose .dat step is asked to end the program after its
// first file, as a termination request that arrives between two files does.
class ended_between_files : public TVELLIC_spectrum_scanner {
 public:
  conversion::context conversion_context(const QString& input_folder) override {
    conversion::context ctx = TVELLIC_spectrum_scanner::conversion_context(input_folder);
    ctx.between_files = [this, responsive = ctx.between_files] {
      if (++files_done == 1) {
        moved_at_request = moved();
        program::end_program(*dialogs, this);
      }
      responsive();
    };
    return ctx;
  }
  void closeEvent(QCloseEvent* event) override {
    TVELLIC_spectrum_scanner::closeEvent(event);
    if (event->isAccepted()) moved_at_close = moved();
  }

  std::function<int()> moved;
  qt_prompts* dialogs = nullptr;
  int files_done = 0;
  int moved_at_request = -1;
  int moved_at_close = -1;
};

TEST(ShutdownTest, ATerminationRequestDuringAStepClosesTheWindowWhenTheStepEnds) {
  scanner_site site;
  site.make_vellic_tree();
  for (const char* name : {"in/S1.dat", "in/S2.dat", "in/S3.dat"}) site.tree.write(name, "s");
  const QString output = site.path("v/database/products/P/measurements/L/new");
  qt_prompts dialogs;
  platform::scoped_prompts real_boxes(&dialogs);
  auto window = site.create_window<ended_between_files>();
  window->dialogs = &dialogs;
  window->moved = [&] { return static_cast<int>(QDir(output).entryList(QDir::Files).size()); };
  window->show();

  bool hung = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    hung = true;
    QCoreApplication::exit(1);
  });
  guard.start(20000);
  QTimer::singleShot(0, window.get(), [&] { window->Timer1Timer(); });
  const int exit_code = QApplication::exec();
  guard.stop();

  ASSERT_FALSE(hung);
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(window->moved_at_request, 1);
  // Every file of the step was moved before the window closed.
  EXPECT_EQ(window->files_done, 3);
  EXPECT_EQ(window->moved_at_close, 3);
  EXPECT_TRUE(QDir(site.path("in")).entryList(QDir::Files).isEmpty());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(test_support::crlf_lines(site.program_file_bytes(QStringLiteral("vellic_scanner.ini")))
                .size(),
            12);
  // Nothing starts another step.
  EXPECT_FALSE(window->Timer1->isActive());
}

}  // namespace
