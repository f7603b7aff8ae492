#include "basics/history_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

#include <algorithm>
#include <array>
#include <deque>
#include <utility>

#include "basics/files.h"
#include "platform/append_file.h"

namespace basics {
namespace {

constexpr std::array<std::pair<history_result, const char*>, 4> kResultWords{{
    {history_result::converted, "converted"},
    {history_result::refused, "refused"},
    {history_result::set_aside, "set aside"},
    {history_result::error, "error"},
}};

const QString kDayFileEnding = QStringLiteral(".jsonl");

// What every line of a value that could not be read says, whichever
// reader said it ("n.a. could not be converted to a spectral value.").
const QString kUnreadableValue = QStringLiteral(" could not be converted to ");

// Counts as the operator reads them: "11,975".
QString grouped(qint64 count) {
  return QLocale(QLocale::English).toString(count);
}

QString more_values_text(qint64 count) {
  return QStringLiteral("\u2026 and ") + grouped(count) +
         (count == 1 ? QStringLiteral(" more value") : QStringLiteral(" more values")) +
         QStringLiteral(" could not be read.");
}

QString more_text(qint64 count, const QString& one, const QString& many) {
  return QStringLiteral("\u2026 and ") + grouped(count) + u' ' + (count == 1 ? one : many) + u'.';
}

// `line` cut to kMessageLineChars, never inside a character.
QString cut_line(const QString& line) {
  if (line.size() <= kMessageLineChars) return line;
  qsizetype end = kMessageLineChars;
  if (line.at(end - 1).isHighSurrogate()) --end;
  return line.left(end) + QChar(0x2026);
}

// With its offset from UTC, so a record read on another machine, or after
// a change to summer time, still names its moment.
QString time_text(const QDateTime& time) {
  return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// The date a day file is named by; none for any other file.
std::optional<QDate> day_of_file(const QString& name) {
  if (!name.endsWith(kDayFileEnding)) return std::nullopt;
  const QString stem = name.chopped(kDayFileEnding.size());
  const QDate day = QDate::fromString(stem, Qt::ISODate);
  if (!day.isValid() || day.toString(Qt::ISODate) != stem) return std::nullopt;
  return day;
}

}  // namespace

void message_lines::add(const QString& line) {
  if (first_.size() < kMessageFirstLines) {
    first_ << cut_line(line);
    return;
  }
  last_ << cut_line(line);
  if (last_.size() <= kMessageLastLines) return;
  if (last_.takeFirst().contains(kUnreadableValue)) {
    ++values_left_out_;
  } else {
    ++lines_left_out_;
  }
}

QString message_lines::text() const {
  QStringList parts = first_;
  if (values_left_out_ > 0) parts << more_values_text(values_left_out_);
  if (lines_left_out_ > 0) {
    parts << more_text(lines_left_out_, QStringLiteral("more line"), QStringLiteral("more lines"));
  }
  parts << last_;
  return parts.join(QLatin1Char(' '));
}

QString capped_message(const QString& message) {
  if (message.size() <= kMessageChars) return message;
  // Room for the count; the cut falls between two words where it can.
  constexpr qsizetype kHead = kMessageChars - 64;
  qsizetype cut = message.lastIndexOf(u' ', kHead);
  if (cut <= 0) cut = message.at(kHead - 1).isHighSurrogate() ? kHead - 1 : kHead;
  const QStringView rest = QStringView(message).mid(cut);
  const qsizetype values = rest.count(kUnreadableValue);
  return message.left(cut) + u' ' +
         (values > 0 ? more_values_text(values)
                     : more_text(rest.size(), QStringLiteral("more character"),
                                 QStringLiteral("more characters")));
}

QString result_word(history_result result) {
  for (const auto& [value, word] : kResultWords) {
    if (value == result) return QString::fromLatin1(word);
  }
  return QString();
}

std::optional<history_result> result_from_word(const QString& word) {
  for (const auto& [value, text] : kResultWords) {
    if (word == QLatin1String(text)) return value;
  }
  return std::nullopt;
}

QByteArray history_line(const history_record& record) {
  QJsonObject object;
  object.insert(QStringLiteral("time"), time_text(record.time));
  object.insert(QStringLiteral("input"), record.input);
  object.insert(QStringLiteral("input_folder"), record.input_folder);
  object.insert(QStringLiteral("plate"),
                record.plate ? QJsonValue(*record.plate) : QJsonValue(QJsonValue::Null));
  object.insert(QStringLiteral("result"), result_word(record.result));
  object.insert(QStringLiteral("message"), record.message);
  object.insert(QStringLiteral("output"), record.output);
  object.insert(QStringLiteral("archive"), record.archive);
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<history_record> parse_history_line(QByteArrayView line) {
  QJsonParseError parsed{};
  const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &parsed);
  if (parsed.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  const QJsonObject object = document.object();
  history_record record;
  record.time =
      QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs)
          .toLocalTime();
  const std::optional<history_result> result =
      result_from_word(object.value(QStringLiteral("result")).toString());
  if (!record.time.isValid() || !result) return std::nullopt;
  record.result = *result;
  record.input = object.value(QStringLiteral("input")).toString();
  record.input_folder = object.value(QStringLiteral("input_folder")).toString();
  const QJsonValue plate = object.value(QStringLiteral("plate"));
  if (plate.isDouble()) record.plate = plate.toInt();
  record.message = capped_message(object.value(QStringLiteral("message")).toString());
  record.output = object.value(QStringLiteral("output")).toString();
  record.archive = object.value(QStringLiteral("archive")).toString();
  return record;
}

QString history_file(const QString& folder, const QDate& day) {
  return platform::with_delimiter(folder) + day.toString(Qt::ISODate) + kDayFileEnding;
}

platform::Status history_writer::append(const history_record& record) {
  if (!ensure_folder_path(folder_)) {
    return platform::Status::Error(
        platform::Status::Kind::not_found,
        QStringLiteral("The history folder ") + folder_ + QStringLiteral(" cannot be created."));
  }
  const QString file = history_file(folder_, record.time.date());
  QByteArray line = history_line(record) + '\n';
  // A line cut short (a full disk, a killed run) would swallow the record.
  if (!whole_lines_known_.contains(file) && platform::ends_in_cut_line(file)) line.prepend('\n');
  const platform::Status appended = platform::append_to_file(file, line);
  if (appended.ok()) {
    whole_lines_known_.insert(file);
  } else {
    whole_lines_known_.remove(file);  // part of the line may be there
  }
  return appended;
}

QList<history_record> read_history(const QString& folder, int most, int* skipped) {
  if (skipped) *skipped = 0;
  QList<history_record> newest_first;
  QList<platform::DirEntry> days = platform::env()
                                       .list_folder(folder, QLatin1Char('*') + kDayFileEnding)
                                       .value_or(QList<platform::DirEntry>());
  // Day files are named by their date, so the name orders them.
  std::sort(days.begin(), days.end(), [](const auto& a, const auto& b) { return a.name > b.name; });
  for (const platform::DirEntry& day : days) {
    if (newest_first.size() >= most) break;
    if (!day.is_file) continue;
    const std::size_t wanted = std::size_t(most - newest_first.size());
    std::deque<history_record> newest_of_day;
    // A file that fails on the way gives the records read until then.
    static_cast<void>(platform::read_log_lines(
        platform::with_delimiter(folder) + day.name, kLongestHistoryLine,
        [&](QByteArrayView line, bool too_long) {
          if (!too_long && line.trimmed().isEmpty()) return;
          std::optional<history_record> record = too_long ? std::nullopt : parse_history_line(line);
          if (!record) {
            if (skipped) ++*skipped;
            return;
          }
          newest_of_day.push_back(std::move(*record));
          if (newest_of_day.size() > wanted) newest_of_day.pop_front();
        }));
    for (auto it = newest_of_day.rbegin(); it != newest_of_day.rend(); ++it) {
      newest_first.append(std::move(*it));
    }
  }
  return newest_first;
}

void remove_old_history(const QString& folder, const QDate& today) {
  const QDate oldest_kept = today.addDays(1 - kHistoryDaysKept);
  const QList<platform::DirEntry> files =
      platform::env()
          .list_folder(folder, QLatin1Char('*') + kDayFileEnding)
          .value_or(QList<platform::DirEntry>());
  for (const platform::DirEntry& file : files) {
    const std::optional<QDate> day = file.is_file ? day_of_file(file.name) : std::nullopt;
    if (!day || *day >= oldest_kept) continue;
    // One that stays is removed at the next start or day.
    static_cast<void>(platform::env().delete_file(platform::with_delimiter(folder) + file.name));
  }
}

platform::severity journal_severity(history_result result) {
  return result == history_result::converted ? platform::severity::info : platform::severity::error;
}

platform::journal_fields journal_fields_of(const history_record& record) {
  platform::journal_fields fields;
  if (record.plate) fields.append({"PLATE", QString::number(*record.plate)});
  fields.append({"INPUT", record.input_folder + record.input});
  if (!record.output.isEmpty()) fields.append({"OUTPUT", record.output});
  if (!record.archive.isEmpty()) fields.append({"ARCHIVE", record.archive});
  fields.append({"RESULT", result_word(record.result).replace(QLatin1Char(' '), QLatin1Char('_'))});
  return fields;
}

}  // namespace basics
