#include "language_editor_site.h"

#include <QPushButton>
#include <QTest>

namespace test_support {

basics::sprachen table_of(const basics::vokabel_liste& rows) {
  basics::sprachen table;
  table.clear();
  while (table.anzahl_sprachen() < rows.first().size()) {
    table.anzahl_sprachen_plus(QStringLiteral("Esperanto"));
  }
  while (table.anzahl_vokabeln() < rows.size()) table.anzahl_vokabeln_plus();
  for (int r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) table.set_wort(r, c, rows[r][c]);
  return table;
}

const basics::vokabel_liste kWords = {
    {"Nickname", "English", "Deutsch"},
    {"h1", "house", "Haus"},
    {"t1", "tree", "Baum"},
    {"c1", "cat", "Katze"},
};

void click(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
}

QPoint cell_centre(Tlanguage_editor_form& editor, int r, int c) {
  return editor.grid1->visualRect(editor.grid_model->index(r - 1, c - 1)).center();
}

editor_on::editor_on(const basics::vokabel_liste& rows) : words(table_of(rows)) {
  editor = std::make_unique<Tlanguage_editor_form>();
  editor->set_words(words);
  editor->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
}

editor_on::~editor_on() {
  editor->save_question = false;
  editor->release_words();
}

}  // namespace test_support
