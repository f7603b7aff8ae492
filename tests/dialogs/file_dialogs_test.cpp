// The Qt file dialogs behind the forms' Load, Save, Import and Export.

#include <QDialog>
#include <QFileDialog>

#include <gtest/gtest.h>

#include "dialogs/file_dialogs.h"
#include "support/modal_script.h"
#include "support/temp_tree.h"

namespace {

using test_support::temp_tree;

// The real file dialogs get the forms' filters in Qt's form and give back
// what the operator chose, the default suffix added, or "" when cancelled.
TEST(QtFileDialogsTest, ShowTheFormsFilterAndReturnTheChoice) {
  temp_tree tree;
  struct dialog_case {
    const char* name;
    bool save;
    QString filter;
    QString typed;  // "" cancels
    QStringList shown_filters;
    QString returned;
  };
  const dialog_case cases[] = {
      {"open, cancelled", false, "Word list|*.bin", "", {"Word list (*.bin)"}, ""},
      {"save, suffix added",
       true,
       "Textfile|*.txt",
       tree.path("words"),
       {"Textfile (*.txt)"},
       tree.path("words.txt")},
  };
  for (const dialog_case& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::modal_script operator_;
    QStringList shown_filters;
    operator_.then([&](QWidget* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr);
      shown_filters = files->nameFilters();
      if (c.typed.isEmpty()) {
        files->reject();
        return;
      }
      files->selectFile(c.typed);
      static_cast<QDialog*>(files)->accept();  // as the dialog's Save button does
    });
    dialogs::qt_file_dialogs qt;
    const QString returned =
        c.save ? qt.save_file_name(nullptr, c.filter, QStringLiteral("txt"), QString())
               : qt.open_file_name(nullptr, c.filter, QStringLiteral("bin"), QString());
    EXPECT_EQ(operator_.actions_left(), 0);
    EXPECT_EQ(shown_filters, c.shown_filters);
    EXPECT_EQ(returned, c.returned);
  }
}

}  // namespace
