#include "dialogs/form_font.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include "platform/session.h"

namespace {

// Once per process, before the first form font is made.
void provide_layout_faces() {
  static const bool provided = [] {
    for (const QString& file : platform::layout_font_files()) {
      QFontDatabase::addApplicationFont(file);
    }
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("Liberation Sans"),
                                                          QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif Condensed")});
    return true;
  }();
  Q_UNUSED(provided);
}

QFont face(const QString& family, QFont::StyleHint hint, int pixel_size) {
  provide_layout_faces();
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixel_size);
  return font;
}

}  // namespace

QFont tahoma_font(int pixel_size) {
  return face(QStringLiteral("Tahoma"), QFont::SansSerif, pixel_size);
}

QFont times_font(int pixel_size) {
  return face(QStringLiteral("Times New Roman"), QFont::Serif, pixel_size);
}

QFont form_font() {
  return tahoma_font(11);
}
