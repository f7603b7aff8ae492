#pragma once

// The rules for file names that every system's Env follows alike: Windows
// wildcard masks, the order NTFS lists names in, and cutting a name to the
// system's limit. Pure rules, tested without a disk.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

#include "platform/env.h"

namespace platform {

// A Windows wildcard mask: "*" any run of characters, "?" one character,
// everything else literal ("[" included), compared case-insensitively. As on
// Windows, a trailing ".*" also matches names without a dot, so "*.*"
// matches every name.
class name_mask {
 public:
  explicit name_mask(const QString& mask);

  bool matches(const QString& name) const;

 private:
  QString mask_;
  std::optional<QString> without_dot_star_;
};

// Whether NTFS lists `a` before `b`: names compared upper-cased, unit by
// unit ("Z" before "_", unlike a lower-casing compare); names that differ
// only in case (possible on Linux) then case-sensitively, so every listing
// comes out the same.
bool listed_before(QStringView a, QStringView b);

// Sorts a listing as NTFS lists it (listed_before).
void sort_as_listed(QList<DirEntry>& entries);

// Six random letters and digits, as mkstemp ends a unique name with: the
// tail of the temporary files every system's Env makes.
QString unique_tail();

// `stem` + `ending`, with `stem` cut short by whole characters (never
// `ending`) until `length_of` the name is at most `longest`.
QString cut_to_fit(const QString& stem, const QString& ending, qsizetype longest,
                   qsizetype (*length_of)(const QString&));

}  // namespace platform
