// How the programs' windows meet the desktop: the entry they belong to and
// the icon they carry.

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <gtest/gtest.h>

#include "program/window_session.h"

namespace {

TEST(WindowSessionTest, TheWindowsBelongToTheirDesktopEntryAndCarryThePackagesIcon) {
  for (const char* entry : {program::kScannerDesktopEntry, program::kEditorDesktopEntry}) {
    SCOPED_TRACE(entry);
    program::identify_to_desktop(entry);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(entry));
    const QIcon icon = QGuiApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    // Drawn, not only named: the built-in picture reaches the screen.
    const QImage picture = icon.pixmap(32, 32).toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(qAlpha(picture.pixel(16, 16)), 0);
  }
}

}  // namespace
