// The language editor's form: what it shows, its buttons, memos and files,
// and closing it.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "language_editor_site.h"
#include "support/modal_script.h"

namespace {

using basics::sprachen;
using basics::vokabel_liste;
using test_support::answer;
using test_support::cell_centre;
using test_support::click;
using test_support::editor_on;
using test_support::kWords;
using test_support::LanguageEditorTest;
using test_support::table_of;

// ---- What a new editor shows ---------------------------------------------------

TEST_F(LanguageEditorTest, ANewEditorShowsTheHeaderRowAndAGridOfFourColumnsAndTwoRows) {
  Tlanguage_editor_form editor;
  editor.save_question = false;
  EXPECT_EQ(editor.windowTitle(), "Language editor");
  EXPECT_EQ(editor.size(), QSize(606, 553));
  EXPECT_EQ(editor.word_index, 0);
  EXPECT_EQ(editor.word_index_label->text(), "0");
  EXPECT_EQ(editor.language1_label->text(), "Nickname");
  EXPECT_EQ(editor.language2_label->text(), "English");
  EXPECT_EQ(editor.Memo1->toPlainText(), "Nickname");
  EXPECT_EQ(editor.Memo2->toPlainText(), "English");
  EXPECT_EQ(editor.file_label->text(), "");
  EXPECT_EQ(editor.grid_column_count(), 4);
  EXPECT_EQ(editor.grid_row_count(), 2);
  EXPECT_EQ(editor.my_words()->meine_liste(), (vokabel_liste{{"Nickname", "English", "Deutsch"}}));
}

TEST_F(LanguageEditorTest, EnterAndEscapeNeitherPressAButtonNorCloseTheEditor) {
  editor_on e(kWords);
  e->grid1->setFocus();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    QTest::keyClick(e.editor.get(), key);
    EXPECT_TRUE(e->isVisible());
  }
  EXPECT_TRUE(files_.shown().isEmpty());  // "Load" was not pressed
  EXPECT_EQ(e.words.meine_liste(), kWords);
}

// ---- Moving between words and languages ------------------------------------------

TEST_F(LanguageEditorTest, PrevNextAndTheLanguageArrowsWrapAround) {
  editor_on e(kWords);
  click(e->Button1);  // Prev on word 0
  EXPECT_EQ(e->word_index, 3);
  EXPECT_EQ(e->Memo1->toPlainText(), "c1");
  click(e->Button2);  // Next on the last word
  EXPECT_EQ(e->word_index, 0);

  struct arrow_case {
    QPushButton* arrow;
    int* language;
    int from;
    int to;
  };
  const arrow_case arrows[] = {
      {e->inc_language1, &e->language1, 2, 0}, {e->dec_language1, &e->language1, 0, 2},
      {e->inc_language2, &e->language2, 2, 0}, {e->dec_language2, &e->language2, 0, 2},
      {e->inc_language2, &e->language2, 0, 1},
  };
  for (const arrow_case& c : arrows) {
    SCOPED_TRACE(c.arrow->objectName().toStdString());
    *c.language = c.from;
    e->refresh_display();
    click(c.arrow);
    EXPECT_EQ(*c.language, c.to);
  }
  EXPECT_EQ(e->language2_label->text(), "English");
  EXPECT_EQ(e.words.meine_liste(), kWords);  // moving changes no word
}

TEST_F(LanguageEditorTest, TypingIntoMemo1AndPressingNextStoresTheWordShownBefore) {
  editor_on e(kWords);
  click(e->Button2);  // word 1
  e->Memo1->setFocus();
  e->Memo1->selectAll();
  QTest::keyClicks(e->Memo1, "home");
  e->Memo2->setPlainText("dwelling");
  click(e->Button2);
  EXPECT_EQ(e->word_index, 2);
  EXPECT_EQ(e.words.wort(1, 0), "home");
  EXPECT_EQ(e.words.wort(1, 1), "dwelling");
  EXPECT_EQ(e.words.wort(2, 0), "t1");
  EXPECT_EQ(e->Memo1->toPlainText(), "t1");
}

TEST_F(LanguageEditorTest, BothMemosOnOneColumnLetTheRightOneWin) {
  editor_on e(kWords);
  e->language1 = e->language2 = 1;
  e->word_index = 1;
  e->refresh_display();
  e->Memo1->setPlainText("left");
  e->Memo2->setPlainText("right");
  e->Memo2Exit();
  EXPECT_EQ(e.words.wort(1, 1), "right");
}

// ---- Changing the table -------------------------------------------------------------

TEST_F(LanguageEditorTest, NewAndDuplicateWordAddARowThatBecomesCurrent) {
  editor_on e(kWords);
  click(e->Button2);   // word 1: h1
  click(e->Button11);  // Duplicate word
  EXPECT_EQ(e.words.anzahl_vokabeln(), 5);
  EXPECT_EQ(e.words.meine_liste().last(), (basics::vokabel{"h1", "house", "Haus"}));
  EXPECT_EQ(e->word_index, 4);
  EXPECT_EQ(e->current_grid_cell(), QPoint(2, 5));

  click(e->Button3);  // New word
  EXPECT_EQ(e.words.anzahl_vokabeln(), 6);
  EXPECT_EQ(e.words.meine_liste().last(), (basics::vokabel{"", "", ""}));
  EXPECT_EQ(e->word_index, 5);
  EXPECT_EQ(e->grid_row_count(), 7);
  EXPECT_EQ(e->current_grid_cell(), QPoint(2, 6));
  EXPECT_EQ(e->Memo1->toPlainText(), "");
}

TEST_F(LanguageEditorTest, DeletingAWordMakesTheOneBeforeCurrentAndKeepsTheLastRow) {
  editor_on e(kWords);
  e->word_index = 2;
  e->refresh_display();
  click(e->Button9);
  EXPECT_EQ(e.words.meine_liste(), (vokabel_liste{kWords[0], kWords[1], kWords[3]}));
  EXPECT_EQ(e->word_index, 1);
  EXPECT_EQ(e->current_grid_cell().y(), 2);  // the grid follows
  EXPECT_EQ(e->grid_row_count(), 4);

  e->word_index = 0;  // the header row goes too; the next row names the columns
  e->refresh_display();
  click(e->Button9);
  EXPECT_EQ(e.words.meine_liste(), (vokabel_liste{kWords[1], kWords[3]}));
  EXPECT_EQ(e->word_index, 0);
  EXPECT_EQ(e->language1_label->text(), "h1");

  click(e->Button9);
  click(e->Button9);  // the last row stays
  EXPECT_EQ(e.words.meine_liste(), (vokabel_liste{kWords[3]}));
  EXPECT_EQ(prompts_.texts(), QStringList{"The last row of the word list cannot be deleted."});
  EXPECT_EQ(e->grid_row_count(), 2);
}

TEST_F(LanguageEditorTest, NewLanguageIsShownOnTheRightAndSortOrdersTheNicknames) {
  editor_on e(kWords);
  prompts_.script(answer::typed(QStringLiteral("Français")));
  click(e->Button4);
  ASSERT_EQ(prompts_.shown().size(), 1);
  EXPECT_EQ(prompts_.shown().first().caption, "New language");
  EXPECT_EQ(prompts_.shown().first().text, "Enter name of new language: ");
  EXPECT_EQ(e.words.anzahl_sprachen(), 4);
  EXPECT_EQ(e->language2, 3);
  EXPECT_EQ(e->language2_label->text(), QStringLiteral("Français"));
  EXPECT_EQ(e->grid_column_count(), 5);

  click(e->Button10);  // Sort
  QStringList nicknames;
  for (const basics::vokabel& row : e.words.meine_liste()) nicknames << row[0];
  EXPECT_EQ(nicknames, QStringList({"Nickname", "c1", "h1", "t1"}));
}

TEST_F(LanguageEditorTest, TheTranslationTestShowsBothAnswersAndReadsNothingOutsideTheRows) {
  struct translation_case {
    const char* name;
    vokabel_liste rows;
    QString german, nickname;
    QStringList messages;
  };
  const translation_case cases[] = {
      {"found", kWords, "Baum", "c1", {"tree", "Katze"}},
      {"missing", kWords, "Fisch", "x9", {"", "---"}},
      {"two columns only", {{"Nickname", "English"}, {"h1", "house"}}, "house", "h1", {"", "---"}},
      {"one column only", {{"Nickname"}, {"h1"}}, "h1", "h1", {"", "---"}},
  };
  for (const translation_case& c : cases) {
    SCOPED_TRACE(c.name);
    editor_on e(c.rows);
    prompts_.clear();
    prompts_.script(answer::typed(c.german));
    prompts_.script(answer::typed(c.nickname));
    click(e->Button8);
    ASSERT_EQ(prompts_.shown().size(), 4);
    EXPECT_EQ(prompts_.shown()[0].caption, "Translation test German-English");
    EXPECT_EQ(prompts_.shown()[0].text, "Enter german word: ");
    EXPECT_EQ(prompts_.shown()[2].caption, "Translation test Nickname - Deutsch");
    EXPECT_EQ(prompts_.shown()[2].text, "Enter nickname: ");
    EXPECT_EQ(QStringList({prompts_.shown()[1].text, prompts_.shown()[3].text}), c.messages);
  }
}

// ---- Files ------------------------------------------------------------------------------

TEST_F(LanguageEditorTest, LoadAndSaveGoThroughWordListDialogsAndNameTheFile) {
  const QString file = tree_.path("heads.bin");
  table_of(kWords).save_to_file(file);
  Tlanguage_editor_form editor;
  editor.save_question = false;
  files_.choose(file);
  click(editor.load_button);
  EXPECT_EQ(editor.my_words()->meine_liste(), kWords);
  EXPECT_EQ(editor.file_label->text(), file);
  EXPECT_EQ(editor.grid_row_count(), 5);
  EXPECT_EQ(files_.shown().last().filter, "Word list|*.bin");
  EXPECT_FALSE(files_.shown().last().save);

  editor.my_words()->set_wort(2, 1, "oak");
  click(editor.Save_button);  // into the loaded file, no dialog
  EXPECT_EQ(files_.shown().size(), 1);
  sprachen saved;
  saved.load_from_file(file);
  EXPECT_EQ(saved.wort(2, 1), "oak");

  const QString copy = tree_.path("copy.bin");
  files_.choose(copy);
  click(editor.saveas_button);
  EXPECT_TRUE(files_.shown().last().save);
  EXPECT_EQ(files_.shown().last().filter, "Word list|*.bin");
  EXPECT_EQ(editor.file_label->text(), copy);
  EXPECT_TRUE(tree_.exists("copy.bin"));
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

TEST_F(LanguageEditorTest, AFailedLoadOrSaveIsReportedAndKeepsTableAndFile) {
  const QString good = tree_.path("good.bin");
  table_of(kWords).save_to_file(good);
  tree_.write("short.bin", "UNICODE");
  tree_.write("cut.bin", test_support::fixture("vocabulary_truncated.bin"));

  Tlanguage_editor_form editor;
  editor.save_question = false;
  ASSERT_TRUE(editor.load_file(good));
  struct load_case {
    QString path;
    QString message_start;
  };
  const load_case loads[] = {
      {tree_.path("missing.bin"), "Error: File not found!\n\r" + tree_.path("missing.bin")},
      {tree_.path("short.bin"), "Error: " + tree_.path("short.bin") + " is too short"},
      {tree_.path("cut.bin"), "Error: vocabulary file " + tree_.path("cut.bin") + " is damaged"},
  };
  for (const load_case& c : loads) {
    SCOPED_TRACE(c.path.toStdString());
    prompts_.clear();
    EXPECT_FALSE(editor.load_file(c.path));
    ASSERT_EQ(prompts_.texts().size(), 1);
    EXPECT_TRUE(prompts_.texts().first().startsWith(c.message_start))
        << prompts_.texts().first().toStdString();
    EXPECT_EQ(editor.my_words()->meine_liste(), kWords);
    EXPECT_EQ(editor.file_label->text(), good);
  }

  // A save that fails says so and keeps the current file.
  prompts_.clear();
  files_.choose(tree_.path("no/such/folder/x.bin"));
  click(editor.saveas_button);
  ASSERT_EQ(prompts_.texts().size(), 1);
  EXPECT_TRUE(prompts_.texts().first().endsWith("\nThe word list was not saved."))
      << prompts_.texts().first().toStdString();
  EXPECT_EQ(editor.file_label->text(), good);
}

TEST_F(LanguageEditorTest, SaveBeforeAnyFileAsksForANameAndKeepsWhatTheMemosShow) {
  Tlanguage_editor_form editor;
  editor.save_question = false;
  editor.Memo2->setPlainText("Probe head");  // typed, the memo not left
  files_.choose(tree_.path("new.bin"));
  click(editor.Save_button);
  ASSERT_EQ(files_.shown().size(), 1);
  EXPECT_TRUE(files_.shown().first().save);
  EXPECT_EQ(files_.shown().first().default_suffix, "bin");
  EXPECT_EQ(editor.file_label->text(), tree_.path("new.bin"));
  sprachen saved;
  ASSERT_TRUE(saved.load_from_file(tree_.path("new.bin")));
  EXPECT_EQ(saved.meine_liste(), (vokabel_liste{{"Nickname", "Probe head", "Deutsch"}}));
}

TEST_F(LanguageEditorTest, ExportImportAndAppendGoThroughTextDialogs) {
  editor_on e(kWords);
  const QString text = tree_.path("words.txt");
  files_.choose(text);
  click(e->Button6);  // Export
  EXPECT_EQ(files_.shown().last().filter, "Textfile|*.txt");
  EXPECT_EQ(files_.shown().last().default_suffix, "txt");

  e->word_index = 3;
  e.words.clear();  // two columns, one row: the current word no longer exists
  files_.choose(text);
  click(e->Button5);  // Import
  EXPECT_EQ(files_.shown().last().filter, "Testfile|*.txt");
  EXPECT_EQ(e.words.meine_liste(), kWords);
  EXPECT_EQ(e->grid_row_count(), 5);

  tree_.write("two.txt", "a\tb\r\n");
  files_.choose(tree_.path("two.txt"));
  click(e->Button7);  // Append with another number of columns
  EXPECT_EQ(
      prompts_.texts(),
      QStringList{"Error: Number of languages in file does not match current number in program"});
  files_.choose(text);
  click(e->Button7);
  EXPECT_EQ(e.words.anzahl_vokabeln(), 8);
  EXPECT_EQ(e.words.wort(4, 0), "Nickname");

  // A file that cannot be read is reported; the table stays.
  prompts_.clear();
  files_.choose(tree_.path("missing.txt"));
  click(e->Button5);
  EXPECT_EQ(prompts_.texts().size(), 1);
  EXPECT_EQ(e.words.anzahl_vokabeln(), 8);
}

TEST_F(LanguageEditorTest, AShorterTableKeepsTheCurrentWordAndLanguagesInside) {
  editor_on e(kWords);
  e->word_index = 3;
  e->language1 = 2;
  e->language2 = 2;
  e.words.clear();
  e->refresh_display();
  EXPECT_EQ(e->word_index, 0);
  EXPECT_EQ(e->language1, 1);
  EXPECT_EQ(e->language2, 1);
  e->Memo2->setPlainText("Name");
  e->Memo2Exit();
  EXPECT_EQ(e.words.meine_liste(), (vokabel_liste{{"Nickname", "Name"}}));
}

// ---- Closing ---------------------------------------------------------------------------

TEST_F(LanguageEditorTest, ClosingAsksTheSaveQuestionAndStaysOpenUnlessSavedOrNo) {
  struct closing_case {
    const char* name;
    QList<answer> answers;
    QStringList chosen;  // paths the save dialogs return
    bool closed;
    bool saved;
  };
  const QString file = tree_.path("closing.bin");
  const closing_case cases[] = {
      {"no", {answer::no()}, {}, true, false},
      {"yes, saved", {answer::yes()}, {file}, true, true},
      {"yes, dialog cancelled", {answer::yes()}, {""}, false, false},
      {"yes, save failed", {answer::yes()}, {tree_.path("no/folder/x.bin")}, false, false},
  };
  for (const closing_case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(file);
    prompts_.clear();
    for (const answer& a : c.answers) prompts_.script(a);
    for (const QString& path : c.chosen) files_.choose(path);
    auto editor = std::make_unique<Tlanguage_editor_form>();
    editor->show();
    editor->Memo2->setPlainText("Words");  // typed, the memo not left
    EXPECT_EQ(editor->close(), c.closed);
    EXPECT_EQ(editor->isVisible(), !c.closed);
    const auto questions = std::count_if(
        prompts_.shown().begin(), prompts_.shown().end(),
        [](const auto& shown) { return shown.what == test_support::shown_prompt::kind::question; });
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(prompts_.shown().first().caption, QStringLiteral("\u00b4Closing language editor"));
    EXPECT_EQ(prompts_.shown().first().text, "Save word list?");
    EXPECT_EQ(prompts_.answers_left(), 0);
    EXPECT_EQ(files_.choices_left(), 0);
    ASSERT_EQ(QFile::exists(file), c.saved);
    if (c.saved) {
      sprachen saved;
      saved.load_from_file(file);
      EXPECT_EQ(saved.wort(0, 1), "Words");
    }
    // The end of the editor asks nothing more.
    prompts_.clear();
    editor.reset();
    EXPECT_TRUE(prompts_.shown().isEmpty());
  }
}

TEST_F(LanguageEditorTest, ARelativeFileNameIsKeptAsAnAbsolutePath) {
  const QString saved_folder = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(tree_.path()));
  tree_.make_folder("sub");
  table_of(kWords).save_to_file(tree_.path("sub/x.bin"));

  Tlanguage_editor_form editor;
  editor.save_question = false;
  ASSERT_TRUE(editor.load_file("sub/x.bin"));
  EXPECT_EQ(editor.file_label->text(), tree_.path("sub/x.bin"));
  EXPECT_EQ(editor.import_dialog_file_name, tree_.path("sub/x.bin"));
  ASSERT_TRUE(editor.save_file("sub/../sub/y.bin"));
  EXPECT_EQ(editor.file_label->text(), tree_.path("sub/y.bin"));
  // "Save as" starts in the file's own folder, wherever the program runs.
  ASSERT_TRUE(QDir::setCurrent(saved_folder));
  files_.choose(QString());
  editor.saveas_buttonClick();
  ASSERT_EQ(files_.shown().size(), 1);
  EXPECT_EQ(files_.shown().first().file_name, tree_.path("sub/y.bin"));
}

TEST_F(LanguageEditorTest, AWordIsWrittenBackOnlyWhenEditedAndKeepsCrLf) {
  editor_on e({{"Nickname", "English"}, {"two lines", "first\r\nsecond"}, {"w", "word"}});
  e->word_index = 1;
  e->language2 = 1;
  e->refresh_display();
  click(e->Button2);  // viewed, then left
  click(e->Button1);
  EXPECT_EQ(e.words.wort(1, 1), "first\r\nsecond");

  e->Memo2->setPlainText("one\ntwo");  // typed with a line break
  e->Memo2Exit();
  EXPECT_EQ(e.words.wort(1, 1), "one\r\ntwo");
}

TEST_F(LanguageEditorTest, EditOpensTheEditorOnTheCallersTableAndClosesWithoutTheQuestion) {
  sprachen words = table_of(kWords);
  words.set_title("Probe heads");
  test_support::modal_script operator_;
  QString title;
  operator_.then([&](QWidget* dialog) {
    auto* editor = qobject_cast<Tlanguage_editor_form*>(dialog);
    ASSERT_NE(editor, nullptr);
    title = editor->windowTitle() + "|" + editor->Label2->text();
    EXPECT_EQ(editor->my_words(), &words);
    click(editor->Button2);
    editor->Memo2->setPlainText("home");  // typed, then the editor closed
    editor->close();
  });
  edit(words);
  EXPECT_EQ(operator_.actions_left(), 0);
  EXPECT_EQ(title, "Probe heads|Probe heads");
  EXPECT_EQ(words.wort(1, 1), "home");
  EXPECT_EQ(words.anzahl_vokabeln(), 4);
  EXPECT_TRUE(prompts_.shown().isEmpty());
}

}  // namespace
