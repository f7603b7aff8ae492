// The program's dialogs as the operator sees them: no caption or button
// text cut or hidden under another control.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dialogs/language_editor_unit.h"
#include "dialogs/password_unit.h"
#include "dialogs/point_selection_dialog_unit.h"
#include "support/text_fit.h"

namespace {

TEST(DialogFitTest, EveryDialogShowsItsTextsWhole) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
  } dialogs[] = {
      {"language editor",
       [] {
         auto editor = std::make_unique<Tlanguage_editor_form>();
         editor->save_question = false;
         return std::unique_ptr<QDialog>(std::move(editor));
       }},
      {"password", [] { return std::make_unique<TPasswordDlg>(); }},
      {"point selection", [] { return std::make_unique<Tpoint_selection_dialog>(); }},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.name);
    const std::unique_ptr<QDialog> dialog = d.make();
    dialog->show();
    const QStringList cut = test_support::texts_not_fitting(*dialog);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
    dialog->hide();
  }
}

}  // namespace
