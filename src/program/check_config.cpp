#include "program/check_config.h"

#include <QStringList>

#include <optional>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/key_value.h"
#include "basics/sprachen.h"
#include "basics/text_file.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "platform/env.h"

namespace program {
namespace {

// Collects the report's lines and whether anything the scanner needs is
// missing.
class report {
 public:
  void line(const QString& what, const QString& value, const QString& state = {}) {
    QString text = (what + QLatin1Char(':')).leftJustified(33) + QLatin1Char(' ') + value;
    if (!state.isEmpty()) text += QStringLiteral("  [") + state + QLatin1Char(']');
    text_ += text + QLatin1Char('\n');
  }
  // A needed item: its absence makes the configuration unusable.
  void needed(const QString& what, const QString& path, bool present) {
    line(what, path, present ? QStringLiteral("exists") : QStringLiteral("MISSING"));
    if (!present) usable_ = false;
  }
  void optional(const QString& what, const QString& path, bool present) {
    line(what, path, present ? QStringLiteral("exists") : QStringLiteral("missing, optional"));
  }
  void fail(const QString& what, const QString& why) {
    line(what, why, QStringLiteral("ERROR"));
    usable_ = false;
  }
  bool usable() const { return usable_; }
  const QString& text() const { return text_; }

 private:
  QString text_;
  bool usable_ = true;
};

// The lines of a settings file; nothing when it is missing or unreadable
// (then said in the report).
std::optional<QStringList> settings_lines(report& out, const QString& path, bool needed) {
  const bool present = basics::file_exists(path);
  const QString what = QStringLiteral("settings file ") + platform::name_of(path);
  if (needed) {
    out.needed(what, path, present);
  } else {
    out.optional(what, path, present);
  }
  if (!present) return std::nullopt;
  try {
    return basics::read_lines(path);
  } catch (const basics::error& e) {
    out.fail(what, e.text());
    return std::nullopt;
  }
}

QString first_line(const std::optional<QStringList>& lines) {
  return lines && !lines->isEmpty() ? lines->first() : QString();
}

QString base_folder(report& out) {
  const std::optional<QStringList> lines =
      settings_lines(out, basics::program_folder_file(QStringLiteral("vellic_path.ini")), false);
  const QString named = first_line(lines);
  // Without the file the program folder is the base, as the window has it.
  const QString base =
      named.isEmpty() ? basics::program_folder_file(QString()) : platform::with_delimiter(named);
  out.needed(QStringLiteral("VELLIC base folder"), base, basics::folder_exists(base));
  return base;
}

// An input folder the settings name; an empty setting would scan the root.
void input_folder(report& out, const QString& what, const QString& folder) {
  if (folder.isEmpty()) {
    out.needed(what, QStringLiteral("(not set)"), false);
    return;
  }
  out.needed(what, platform::with_delimiter(folder), basics::folder_exists(folder));
}

void input_and_output(report& out, const QString& kind, const QString& input,
                      const QString& measurement) {
  input_folder(out, kind + QStringLiteral(" input folder"), input);
  out.needed(kind + QStringLiteral(" measurement folder"), measurement,
             basics::folder_exists(measurement));
}

void probe_heads(report& out, const QString& base, const QString& product) {
  const QString path = basics::program_folder_file(QStringLiteral("DORNIK_probeheads.bin"));
  const bool present = basics::file_exists(path);
  out.optional(QStringLiteral("probe heads table"), path, present);
  if (!present) return;
  basics::sprachen table;
  try {
    table.load_from_file(path);
  } catch (const basics::error& e) {
    out.fail(QStringLiteral("probe heads table"), e.text());
    return;
  }
  // Row 0 names the columns; each further row sends the probe head of
  // column 1 to the measurement of column 0.
  for (int row = 1; row < table.anzahl_vokabeln(); ++row) {
    const QString measurement = table.wort(row, 0);
    if (measurement.isEmpty()) {
      // Such a row routes nothing: its files are set aside like unknown ones.
      out.line(QStringLiteral("probe head \"%1\"").arg(table.wort(row, 1)),
               QStringLiteral("(no measurement named: its files are set aside)"));
      continue;
    }
    const QString folder = basics::measurement_folder(base, product, measurement);
    out.needed(QStringLiteral("probe head \"%1\" -> %2").arg(table.wort(row, 1), measurement),
               folder, basics::folder_exists(folder));
  }
}

}  // namespace

QString configuration_report(bool* usable) {
  report out;
  const QString program_folder = basics::program_folder_file(QString());
  out.needed(QStringLiteral("program folder"), program_folder,
             basics::folder_exists(program_folder));
  const std::optional<QStringList> scanner_lines =
      settings_lines(out, basics::program_folder_file(QStringLiteral("vellic_scanner.ini")), true);
  const basics::vellic_scanner_settings settings =
      basics::read_vellic_scanner_ini(scanner_lines.value_or(QStringList()));
  const QString insitu_input = scanner_lines ? basics::ini_read_string(basics::kInsituInputPathKey,
                                                                       *scanner_lines, QString())
                                             : QString();
  for (const char* name :
       {"vellic_postbake_path.ini", "vellic_pswd.bin", "traverse_point_selection.txt"}) {
    out.optional(QStringLiteral("settings file ") + QLatin1String(name),
                 basics::program_folder_file(QLatin1String(name)),
                 basics::file_exists(basics::program_folder_file(QLatin1String(name))));
  }

  const QString base = base_folder(out);
  const std::optional<QStringList> vellic_ini =
      settings_lines(out, base + QStringLiteral("vellic.ini"), false);
  const QString external =
      vellic_ini ? basics::ini_read_string(QStringLiteral("External archive directory"),
                                           *vellic_ini, QString())
                 : QString();
  const QString archive = basics::archive_root(base, external);
  out.line(QStringLiteral("archive folder"),
           archive.isEmpty() ? QStringLiteral("(none: inputs are not archived)") : archive);
  const QString product = basics::current_product(base);
  out.needed(QStringLiteral("current product"),
             product.isEmpty() ? basics::current_product_folder(base) : product,
             !product.isEmpty());

  input_and_output(out, QStringLiteral("exsitu"), settings.input_path,
                   basics::measurement_folder(base, product, settings.lumor_name));
  // The insitu side is in use only where its input folder is set.
  if (!insitu_input.isEmpty()) {
    input_folder(out, QStringLiteral("insitu input folder"), insitu_input);
    probe_heads(out, base, product);
  }
  out.line(QStringLiteral("result"),
           out.usable() ? QStringLiteral("usable") : QStringLiteral("NOT usable"));
  *usable = out.usable();
  return out.text();
}

}  // namespace program
