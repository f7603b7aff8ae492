#pragma once

// The face the forms are laid out for; where it is missing (Linux) Qt picks
// the nearest installed sans-serif face at the same pixel size, so the
// layout keeps its proportions.

#include <QFont>
#include <QString>

inline QFont tahoma_font(int pixel_size) {
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_size);
  return font;
}

// Default font of every form of the program.
inline QFont form_font() {
  return tahoma_font(11);
}
