#include "platform/name_rules.h"

#include <QRandomGenerator>

#include <algorithm>

namespace platform {
namespace {

// NTFS compares names by upper-casing each UTF-16 unit on its own (no
// expansions such as "ß" to "SS"); matching and ordering both follow it.
char16_t upcased(QChar unit) {
  return char16_t(QChar::toUpper(char32_t(unit.unicode())));
}

QString upcased(QStringView text) {
  QString result(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) result[i] = QChar(upcased(text[i]));
  return result;
}

// Greedy matching that backtracks only to the last "*": linear for the
// masks the scanner uses.
bool wildcard_match(QStringView mask, QStringView name) {
  qsizetype m = 0, n = 0;
  qsizetype star = -1, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == u'*') {
      star = m++;
      resume = n;
    } else if (star >= 0) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

int compare_upcased(QStringView a, QStringView b) {
  const qsizetype common = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < common; ++i) {
    const char16_t x = upcased(a[i]), y = upcased(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

name_mask::name_mask(const QString& mask) : mask_(upcased(mask)) {
  if (mask_.endsWith(QLatin1String(".*"))) without_dot_star_ = mask_.chopped(2);
}

bool name_mask::matches(const QString& name) const {
  const QString upper = upcased(name);
  return wildcard_match(mask_, upper) ||
         (without_dot_star_ && wildcard_match(*without_dot_star_, upper));
}

bool listed_before(QStringView a, QStringView b) {
  const int upper = compare_upcased(a, b);
  return upper != 0 ? upper < 0 : a < b;
}

void sort_as_listed(QList<DirEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return listed_before(a.name, b.name); });
}

QString unique_tail() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QString tail;
  for (int i = 0; i < 6; ++i) {
    tail += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
  }
  return tail;
}

QString cut_to_fit(const QString& stem, const QString& ending, qsizetype longest,
                   qsizetype (*length_of)(const QString&)) {
  QString cut = stem;
  const qsizetype room = longest - length_of(ending);
  while (!cut.isEmpty() && length_of(cut) > room) {
    const bool pair =
        cut.size() > 1 && cut.back().isLowSurrogate() && cut[cut.size() - 2].isHighSurrogate();
    cut.chop(pair ? 2 : 1);
  }
  return cut + ending;
}

}  // namespace platform
