#include "basics/vocabulary_check.h"

#include "basics/text.h"

#include <QHash>

#include <algorithm>

namespace basics {
namespace {

using severity = vocabulary_finding::severity;
using table_rows = QList<QStringList>;

vocabulary_finding finding(int row, severity level, const QString& text) {
  return {row + 1, level, text};
}

bool is_blank(const QStringList& row) {
  return std::all_of(row.begin(), row.end(),
                     [](const QString& cell) { return trimmed(QStringView(cell)).isEmpty(); });
}

// The cell between quotes; control characters shown as \xNN, so that a
// finding stays one line whatever a vocabulary file holds.
QString quoted(const QString& cell) {
  QString shown;
  for (const QChar c : cell) {
    if (c.unicode() < 32)
      shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      shown += c;
  }
  return u'"' + shown + u'"';
}

// Column c counted from 1, as an editor shows the cells, with its header.
QString cell_name(const table_rows& rows, int column) {
  const QString name = QStringLiteral("cell %1").arg(column + 1);
  const QString header = trimmed(rows.first().value(column));
  return header.isEmpty() ? name : name + QStringLiteral(" (") + header + u')';
}

QString columns_text(qsizetype count) {
  return count == 1 ? QStringLiteral("1 column") : QStringLiteral("%1 columns").arg(count);
}

QString column_count_text(qsizetype count, qsizetype header_count) {
  const QString text = QStringLiteral("the row has %1 where the header row has %2")
                           .arg(columns_text(count), QString::number(header_count));
  if (count == 1) return text + QStringLiteral("; the cells must be separated by tabs");
  if (count > header_count) return text + QStringLiteral("; import drops the cells beyond");
  return text + QStringLiteral("; import leaves the missing cells empty");
}

void check_blank_rows(const table_rows& rows, vocabulary_findings& out) {
  if (is_blank(rows.first()))
    out.append(finding(0, severity::error,
                       QStringLiteral("the header row is blank; it must name the columns")));
  for (int r = 1; r < rows.size(); ++r)
    if (is_blank(rows[r])) out.append(finding(r, severity::warning, QStringLiteral("blank row")));
}

// A blank row has been reported as such.
void check_column_counts(const table_rows& rows, vocabulary_findings& out) {
  const qsizetype header_count = rows.first().size();
  for (int r = 1; r < rows.size(); ++r) {
    if (rows[r].size() != header_count && !is_blank(rows[r]))
      out.append(finding(r, severity::error, column_count_text(rows[r].size(), header_count)));
  }
}

QString blanks_text(const QString& cell) {
  const bool leading = !cell.isEmpty() && cell.front().unicode() <= 32;
  const bool trailing = !cell.isEmpty() && cell.back().unicode() <= 32;
  if (leading && trailing) return QStringLiteral("blanks at its start and end");
  return leading ? QStringLiteral("blanks at its start") : QStringLiteral("blanks at its end");
}

void check_blanks_in_cells(const table_rows& rows, vocabulary_findings& out) {
  for (int r = 0; r < rows.size(); ++r) {
    if (is_blank(rows[r])) continue;
    for (int c = 0; c < rows[r].size(); ++c) {
      const QString& cell = rows[r][c];
      if (trimmed(QStringView(cell)).size() == cell.size()) continue;
      out.append(finding(
          r, severity::warning,
          QStringLiteral("%1 %2 has %3").arg(cell_name(rows, c), quoted(cell), blanks_text(cell))));
    }
  }
}

QString duplicate_text(const table_rows& rows, int column, const QString& word, int first_row) {
  const QString line = QString::number(first_row + 1);
  if (column == 0)
    return QStringLiteral("nickname %1 is also on line %2; lookups find only line %2")
        .arg(quoted(word), line);
  return QStringLiteral("%1 in %2 is also on line %3; lookups by it find only line %3")
      .arg(quoted(word), cell_name(rows, column), line);
}

void check_duplicates_in_column(const table_rows& rows, int column, vocabulary_findings& out) {
  const severity level = column == 0 ? severity::error : severity::warning;
  QHash<QString, int> first_row;
  for (int r = 0; r < rows.size(); ++r) {
    const QString word = trimmed(rows[r].value(column));
    if (word.isEmpty()) continue;
    const auto found = first_row.constFind(word);
    if (found == first_row.cend())
      first_row.insert(word, r);
    else
      out.append(finding(r, level, duplicate_text(rows, column, word, *found)));
  }
}

// The first line with a character beyond ASCII, where the decoding shows.
int first_non_ascii_line(const QStringList& lines) {
  const auto beyond_ascii = [](const QString& line) {
    return std::any_of(line.begin(), line.end(), [](QChar c) { return c.unicode() > 127; });
  };
  return static_cast<int>(std::find_if(lines.begin(), lines.end(), beyond_ascii) - lines.begin());
}

void sort_by_line(vocabulary_findings& findings) {
  std::stable_sort(
      findings.begin(), findings.end(),
      [](const vocabulary_finding& a, const vocabulary_finding& b) { return a.line < b.line; });
}

}  // namespace

vocabulary_findings check_vocabulary_rows(const QList<QStringList>& rows) {
  vocabulary_findings findings;
  if (rows.isEmpty()) return findings;
  check_blank_rows(rows, findings);
  check_column_counts(rows, findings);
  for (int c = 0; c < rows.first().size(); ++c) check_duplicates_in_column(rows, c, findings);
  check_blanks_in_cells(rows, findings);
  sort_by_line(findings);
  return findings;
}

vocabulary_findings check_vocabulary_text(const decoded_lines& text) {
  table_rows rows;
  rows.reserve(text.lines.size());
  for (const QString& line : text.lines) rows.append(line.split(u'\t'));
  vocabulary_findings findings = check_vocabulary_rows(rows);
  if (text.utf8_without_mark) {
    findings.prepend(finding(first_non_ascii_line(text.lines), severity::warning,
                             QStringLiteral("decoded as UTF-8 without a byte-order mark")));
    sort_by_line(findings);
  }
  return findings;
}

bool has_error(const vocabulary_findings& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const vocabulary_finding& f) { return f.level == severity::error; });
}

}  // namespace basics
