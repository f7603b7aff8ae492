#pragma once

// What the language editor's tests share: tables made to order, an editor
// shown on one, and the fixture whose prompts and file dialogs are scripted.

#include <QPoint>

#include <gtest/gtest.h>

#include <memory>

#include "basics/sprachen.h"
#include "dialogs/language_editor_unit.h"
#include "support/recording_prompts.h"
#include "support/scripted_file_dialogs.h"
#include "support/temp_tree.h"

class QPushButton;

namespace test_support {

// A table with exactly these rows, the first the header row.
basics::sprachen table_of(const basics::vokabel_liste& rows);

// The table most tests edit: a header row and three words.
extern const basics::vokabel_liste kWords;

void click(QPushButton* button);

// The centre of grid cell (r, c) (r, c >= 1) in the grid's viewport.
QPoint cell_centre(Tlanguage_editor_form& editor, int r, int c);

// An editor on a table of its own holding `rows`, shown so the grid has its
// geometry; the caller's prompts answer its closing question with No.
class editor_on {
 public:
  explicit editor_on(const basics::vokabel_liste& rows);
  ~editor_on();
  Tlanguage_editor_form* operator->() { return editor.get(); }

  basics::sprachen words;
  std::unique_ptr<Tlanguage_editor_form> editor;
};

class LanguageEditorTest : public ::testing::Test {
 protected:
  recording_prompts prompts_;
  scripted_file_dialogs files_;
  temp_tree tree_;
};

}  // namespace test_support
