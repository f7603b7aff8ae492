// The language editor's grid model on a table of its own, without a view:
// what each cell and header shows, edits stored in the table, and rows and
// columns that follow the table when asked.

#include <QSignalSpy>

#include <gtest/gtest.h>

#include "dialogs/language_grid_model.h"
#include "language_editor_site.h"

namespace {

using test_support::kWords;
using test_support::table_of;

class LanguageGridModelTest : public ::testing::Test {
 protected:
  // The model showing `words`.
  void follow_words() {
    model.set_table(&words);
    model.follow_table();
  }

  basics::sprachen words = table_of(kWords);
  language_grid_model model;
};

TEST_F(LanguageGridModelTest, ShowsNothingUntilItFollowsATable) {
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.cell_name(2, 2), "");
  model.set_table(&words);
  EXPECT_EQ(model.rowCount(), 0) << "rows follow only when asked";
  model.follow_table();
  EXPECT_EQ(model.rowCount(), 4);
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.data(model.index(2, 2), Qt::DisplayRole).toString(), "Baum");
  EXPECT_EQ(model.data(model.index(2, 2), Qt::EditRole).toString(), "Baum");
  EXPECT_EQ(model.data(model.index(0, 1), Qt::BackgroundRole).value<QColor>(), QColor(90, 90, 90));
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "English");
  EXPECT_EQ(model.headerData(3, Qt::Vertical, Qt::DisplayRole).toString(), "  3");
  EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignLeft | Qt::AlignTop));
}

TEST_F(LanguageGridModelTest, AnEditIsStoredInTheTableAndAnnounced) {
  follow_words();
  QSignalSpy edited(&model, &language_grid_model::cell_edited);

  EXPECT_TRUE(model.setData(model.index(2, 2), QStringLiteral("Eiche"), Qt::EditRole));
  EXPECT_EQ(words.wort(2, 2), "Eiche");
  ASSERT_EQ(edited.size(), 1);
  EXPECT_EQ(edited.first(), (QList<QVariant>{3, 3}));  // in grid rows and columns

  EXPECT_FALSE(model.setData(model.index(1, 1), QStringLiteral("x"), Qt::DisplayRole));
  EXPECT_FALSE(model.set_cell(0, 2, QStringLiteral("title")));
  EXPECT_EQ(words.meine_liste()[0], kWords[0]);

  // A cell editor that commits after the editor let go of the table.
  model.set_table(nullptr);
  EXPECT_FALSE(model.setData(model.index(1, 1), QStringLiteral("late"), Qt::EditRole));
  EXPECT_EQ(words.wort(1, 1), "house");
  EXPECT_EQ(edited.size(), 1);
}

TEST_F(LanguageGridModelTest, RowsAndColumnsComeAndGoAtTheEnd) {
  follow_words();
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);

  ASSERT_TRUE(words.delete_vokabel(1));
  words.anzahl_sprachen_plus(QStringLiteral("Esperanto"));
  model.follow_table();
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnCount(), 4);
  ASSERT_EQ(removed.size(), 1);
  EXPECT_EQ(removed.first().mid(1), (QList<QVariant>{3, 3}));  // the last row
  ASSERT_EQ(inserted.size(), 1);
  EXPECT_EQ(inserted.first().mid(1), (QList<QVariant>{3, 3}));

  model.set_table(nullptr);
  model.follow_table();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 0);
}

}  // namespace
