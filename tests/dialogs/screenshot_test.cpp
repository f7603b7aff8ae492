#include "dialogs/password_unit.h"
#include "dialogs/point_selection_dialog_unit.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>

#include <gtest/gtest.h>

// Renders of the dialogs, for a look at their layout; they fail only when
// nothing could be drawn or saved.

namespace {

bool save_render(QWidget& dialog, const QString& name) {
  dialog.show();
  const QPixmap pixmap = dialog.grab();
  dialog.hide();
  QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
  return !pixmap.isNull() && pixmap.save(QStringLiteral(SCREENSHOT_DIR "/") + name);
}

TEST(ScreenshotTest, RendersThePointSelectionDialog) {
  Tpoint_selection_dialog dialog;
  QVector<bool> flags(52, true);
  flags[0] = flags[3] = flags[26] = flags[48] = false;
  dialog.set_points(flags);
  EXPECT_TRUE(save_render(dialog, QStringLiteral("point_selection_dialog.png")));
}

TEST(ScreenshotTest, RendersThePasswordDialog) {
  TPasswordDlg dialog;
  dialog.Password->setText(QStringLiteral("secret"));
  EXPECT_TRUE(save_render(dialog, QStringLiteral("password_dialog.png")));
}

}  // namespace
