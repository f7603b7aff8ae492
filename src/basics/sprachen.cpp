#include "basics/sprachen.h"

#include "basics/error.h"
#include "basics/string_record.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <optional>

namespace basics {
namespace {

const QByteArray kMagic = QByteArrayLiteral("UNICODE");
constexpr qint64 kHeaderSize = 11;  // magic and file version
// Files without the magic come from program versions with single-byte records.
constexpr float kHeaderlessVersion = 3.17f;
// Even an empty word takes its 4-byte count.
constexpr qint64 kSmallestRecord = 4;
// Far beyond any word list, small enough to stay in memory (about 100 MB).
constexpr qint64 kMostTextCells = 4 * 1024 * 1024;

struct table_body {
  int anzahl_sprachen = 0;
  vokabel_liste rows;
};

std::optional<qint32> read_int32(QIODevice& stream) {
  char bytes[4];
  if (stream.read(bytes, 4) != 4) return std::nullopt;
  return qFromLittleEndian<qint32>(bytes);
}

void write_bytes(QIODevice& stream, const QByteArray& bytes) {
  if (stream.write(bytes) != bytes.size())
    throw error(QStringLiteral("Error: could not write the vocabulary data: ") +
                stream.errorString());
}

void write_int32(QIODevice& stream, qint32 value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(value, bytes.data());
  write_bytes(stream, bytes);
}

float float_at(const QByteArray& bytes, qsizetype offset) {
  return std::bit_cast<float>(qFromLittleEndian<quint32>(bytes.constData() + offset));
}

QByteArray float_bytes(float value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(std::bit_cast<quint32>(value), bytes.data());
  return bytes;
}

error damaged(const QString& source, const QString& detail) {
  return error(QStringLiteral("Error: %1 is damaged: %2.").arg(source, detail));
}

// The two counts and the records after them. Checks the counts against the
// bytes left before allocating, and every record before reading it.
table_body read_body(QIODevice& stream, const QString& source) {
  const std::optional<qint32> columns = read_int32(stream);
  const std::optional<qint32> rows = read_int32(stream);
  if (!columns || !rows) throw damaged(source, QStringLiteral("it ends before its word counts"));
  const QString announced =
      QStringLiteral("it announces %1 languages and %2 words").arg(*columns).arg(*rows);
  if (*columns < 1 || *rows < 1)
    throw damaged(source, announced + QStringLiteral("; a table needs at least one of each"));
  if (qint64{*columns} * *rows > stream.bytesAvailable() / kSmallestRecord)
    throw damaged(source, announced + QStringLiteral(", more than the data can hold"));

  table_body body{*columns, {}};
  body.rows.reserve(*rows);
  for (int r = 0; r < *rows; ++r) {
    vokabel row;
    row.reserve(*columns);
    for (int c = 0; c < *columns; ++c) {
      if (!string_record_fits(stream))
        throw damaged(source,
                      QStringLiteral("it ends inside the word of row %1, column %2").arg(r).arg(c));
      row.append(read_string_record(stream));
    }
    body.rows.append(row);
  }
  return body;
}

// Cell c of a row is field c + 1 of its line, trimmed as tab_field trims;
// missing fields give empty cells, extra fields are dropped. One split per
// line: asking tab_field cell by cell would rescan a long line per cell.
vokabel row_from_line(const QString& line, int columns) {
  const QStringList fields = line.split(u'\t');
  vokabel row;
  row.reserve(columns);
  for (int c = 0; c < columns; ++c) row.append(c < fields.size() ? trimmed(fields[c]) : QString());
  return row;
}

// Every line becomes a full row however short it is, so a first line with
// very many TABs would fill memory with empty words; such a file is no word
// list.
vokabel_liste rows_from_lines(const QString& the_file, const QStringList& lines, int columns) {
  if (qint64{columns} * lines.size() > kMostTextCells)
    throw error(QStringLiteral("Error: text file %1 would make %2 languages and %3 words, "
                               "more than %4 words in all; the word list is unchanged.")
                    .arg(the_file)
                    .arg(columns)
                    .arg(lines.size())
                    .arg(kMostTextCells));
  vokabel_liste rows;
  rows.reserve(lines.size());
  for (const QString& line : lines) rows.append(row_from_line(line, columns));
  return rows;
}

int column_count(const QStringList& lines) {
  return count_tabs(lines.first()) + 1;
}

// a-z folded to A-Z, then code unit by code unit, a proper prefix first.
bool nickname_less(const QString& a, const QString& b) {
  const QString key_a = ascii_upper(a);
  const QString key_b = ascii_upper(b);
  return std::lexicographical_compare(key_a.begin(), key_a.end(), key_b.begin(), key_b.end());
}

// A word list kept behind a symbolic link stays one.
void publish(const QString& path, const QByteArray& bytes) {
  raise_on_failure(platform::publish_file_through_links(path, bytes));
}

}  // namespace

// A file without any line has no column names to go by and is refused; so
// is a word list file or any other binary file, whose bytes taken as text
// would replace the table with garbage.
decoded_lines read_text_table(const QString& the_file) {
  QByteArray bytes;
  raise_on_failure(platform::env().read_file(the_file, &bytes));
  if (bytes.startsWith(kMagic))
    throw error(QStringLiteral("Error: %1 is a word list file, not a text file; open it with "
                               "\"Load\". The word list is unchanged.")
                    .arg(the_file));
  decoded_lines text = lines_from_bytes_detecting_utf8(bytes);
  if (text.lines.isEmpty())
    throw error(QStringLiteral("Error: text file %1 holds no lines; the word list is unchanged.")
                    .arg(the_file));
  const auto holds_nul = [](const QString& line) { return line.contains(QChar(0)); };
  if (std::any_of(text.lines.begin(), text.lines.end(), holds_nul))
    throw error(QStringLiteral("Error: %1 holds NUL characters and is no text file; the word "
                               "list is unchanged.")
                    .arg(the_file));
  return text;
}

sprachen::sprachen() {
  replace_rows(
      3, {{QStringLiteral("Nickname"), QStringLiteral("English"), QStringLiteral("Deutsch")}});
}

void sprachen::replace_rows(int anzahl_sprachen, vokabel_liste rows) {
  anzahl_sprachen_ = anzahl_sprachen;
  meine_liste_ = std::move(rows);
}

bool sprachen::is_cell(int index, int sprache) const {
  return index >= 0 && index < anzahl_vokabeln() && sprache >= 0 && sprache < anzahl_sprachen_;
}

QString sprachen::wort(int index, int sprache) const {
  return is_cell(index, sprache) ? meine_liste_[index][sprache] : QString();
}

void sprachen::set_wort(int index, int sprache, const QString& text) {
  if (is_cell(index, sprache)) meine_liste_[index][sprache] = text;
}

int sprachen::get_index(const QString& my_vocabulary, int language) const {
  if (language < 0 || language >= anzahl_sprachen_) return -1;
  for (int r = 0; r < anzahl_vokabeln(); ++r)
    if (meine_liste_[r][language] == my_vocabulary) return r;
  return -1;
}

QString sprachen::translation(const QString& nickname, int language,
                              const QString& default_value) const {
  const QString word = wort(get_index(nickname, 0), language);
  return word.isEmpty() ? default_value : word;
}

QString sprachen::translation_nickname_as_default(const QString& nickname, int language) const {
  return translation(nickname, language, nickname);
}

QString sprachen::nickname(const QString& the_name, int language) const {
  return wort(get_index(the_name, language), 0);
}

void sprachen::anzahl_vokabeln_plus() {
  meine_liste_.append(vokabel(anzahl_sprachen_));
}

bool sprachen::delete_vokabel(int index) {
  if (index < 0 || index >= anzahl_vokabeln() || anzahl_vokabeln() == 1) return false;
  meine_liste_.removeAt(index);
  return true;
}

void sprachen::anzahl_sprachen_plus(const QString& name) {
  for (vokabel& row : meine_liste_) row.append(QString());
  ++anzahl_sprachen_;
  set_wort(0, anzahl_sprachen_ - 1, name);
}

void sprachen::clear() {
  replace_rows(2, {{QStringLiteral("Nickname"), QStringLiteral("English")}});
}

void sprachen::sort() {
  if (meine_liste_.size() < 3) return;
  std::stable_sort(
      meine_liste_.begin() + 1, meine_liste_.end(),
      [](const vokabel& a, const vokabel& b) { return nickname_less(a.value(0), b.value(0)); });
}

bool sprachen::load_from_file(const QString& this_file) {
  QByteArray bytes;
  raise_on_failure(platform::env().read_file(this_file, &bytes));
  if (bytes.size() <= kHeaderSize) return false;

  // With the magic, the counts follow the header whatever the version says;
  // the version only picks the record layout.
  const bool has_header = bytes.startsWith(kMagic);
  read_file_version = has_header ? float_at(bytes, kMagic.size()) : kHeaderlessVersion;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  buffer.seek(has_header ? kHeaderSize : 0);
  table_body body = read_body(buffer, QStringLiteral("vocabulary file ") + this_file);
  replace_rows(body.anzahl_sprachen, std::move(body.rows));
  return true;
}

void sprachen::save_to_file(const QString& this_file) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  write_bytes(buffer, kMagic + float_bytes(program_file_version));
  save_to_stream(buffer);
  publish(this_file, bytes);
}

void sprachen::load_from_stream(QIODevice& s) {
  table_body body = read_body(s, QStringLiteral("vocabulary data"));
  replace_rows(body.anzahl_sprachen, std::move(body.rows));
}

void sprachen::save_to_stream(QIODevice& s) const {
  write_int32(s, anzahl_sprachen_);
  write_int32(s, anzahl_vokabeln());
  for (const vokabel& row : meine_liste_)
    for (const QString& word : row) write_string_record(word, s);
}

QStringList sprachen::text_lines() const {
  QStringList lines;
  lines.reserve(meine_liste_.size());
  for (const vokabel& row : meine_liste_) lines.append(row.join(QLatin1Char('\t')));
  return lines;
}

void sprachen::export_to_textfile(const QString& the_file) const {
  QString text;
  for (const QString& line : text_lines()) text += line + QStringLiteral("\r\n");
  QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
  publish(the_file, encoder.encode(text));
}

void sprachen::import_from_textfile(const QString& the_file) {
  import_from_lines(the_file, read_text_table(the_file).lines);
}

void sprachen::import_from_lines(const QString& the_file, const QStringList& lines) {
  if (lines.isEmpty()) return;
  const int columns = column_count(lines);
  replace_rows(columns, rows_from_lines(the_file, lines, columns));
}

void sprachen::append_from_textfile(const QString& the_file, const message_sink& message) {
  const QStringList lines = read_text_table(the_file).lines;
  if (column_count(lines) != anzahl_sprachen_) {
    message(QStringLiteral(
        "Error: Number of languages in file does not match current number in program"));
    return;
  }
  meine_liste_.append(rows_from_lines(the_file, lines, anzahl_sprachen_));
}

}  // namespace basics
