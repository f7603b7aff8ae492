#include "basics/history_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <array>
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

// With its offset from UTC, so a record read on another machine, or after
// a change to summer time, still names its moment.
QString time_text(const QDateTime& time) {
  return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// A line cut short (a full disk, a killed run) would swallow the next record.
bool ends_cut_short(const QString& file) {
  QByteArray contents;
  if (!platform::env().read_file(file, &contents).ok()) return false;
  return !contents.isEmpty() && !contents.endsWith('\n');
}

}  // namespace

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
  record.message = object.value(QStringLiteral("message")).toString();
  record.output = object.value(QStringLiteral("output")).toString();
  record.archive = object.value(QStringLiteral("archive")).toString();
  return record;
}

QString history_file(const QString& folder, const QDate& day) {
  return platform::with_delimiter(folder) + day.toString(Qt::ISODate) + kDayFileEnding;
}

platform::Status history_writer::append(const history_record& record) {
  if (!ensure_folder(folder_)) {
    return platform::Status::Error(
        platform::Status::Kind::not_found,
        QStringLiteral("The history folder ") + folder_ + QStringLiteral(" cannot be created."));
  }
  const QString file = history_file(folder_, record.time.date());
  QByteArray line = history_line(record) + '\n';
  if (!whole_lines_known_.contains(file) && ends_cut_short(file)) line.prepend('\n');
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
    if (!day.is_file || newest_first.size() >= most) continue;
    QByteArray contents;
    if (!platform::env().read_file(platform::with_delimiter(folder) + day.name, &contents).ok()) {
      continue;
    }
    QList<history_record> of_day;
    for (const QByteArray& line : contents.split('\n')) {
      if (line.trimmed().isEmpty()) continue;
      if (std::optional<history_record> record = parse_history_line(line)) {
        of_day.append(std::move(*record));
      } else if (skipped) {
        ++*skipped;
      }
    }
    for (auto it = of_day.crbegin(); it != of_day.crend() && newest_first.size() < most; ++it) {
      newest_first.append(*it);
    }
  }
  return newest_first;
}

}  // namespace basics
