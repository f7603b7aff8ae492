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

QString base_folder(report& out) {
  const std::optional<QStringList> lines =
      settings_lines(out, basics::program_folder_file(QStringLiteral("vellic_path.ini")), false);
  const QString base = basics::vellic_base_folder(lines.value_or(QStringList()));
  out.needed(QStringLiteral("VELLIC base folder"), base, basics::folder_exists(base));
  return base;
}

// An input folder the settings name; an empty setting names none.
void input_folder(report& out, const QString& what, const QString& setting) {
  const QString folder = basics::folder_setting(setting);
  if (folder.isEmpty()) {
    out.needed(what, QStringLiteral("(not configured)"), false);
    return;
  }
  out.needed(what, folder, basics::folder_exists(folder));
}

// The current product, or an empty one when none can be found (said in the
// report).
QString current_product(report& out, const QString& base) {
  const QString what = QStringLiteral("current product");
  const QString folder = basics::current_product_folder(base);
  const std::optional<QString> product = basics::readable_current_product(base);
  if (!product) {
    out.fail(what, basics::unreadable_product_folder(folder));
    return QString();
  }
  out.needed(what, product->isEmpty() ? folder : *product, !product->isEmpty());
  return *product;
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
  QStringList refused;
  const basics::vellic_scanner_settings settings =
      basics::read_vellic_scanner_ini(scanner_lines.value_or(QStringList()), &refused);
  // A refused value only costs its default; the scanner still works.
  for (const QString& message : refused) out.line(QStringLiteral("refused setting"), message);
  const QString insitu_input =
      basics::read_insitu_input_path(scanner_lines.value_or(QStringList()));
  for (const char* name :
       {"vellic_postbake_path.ini", "vellic_pswd.bin", "traverse_point_selection.txt"}) {
    out.optional(QStringLiteral("settings file ") + QLatin1String(name),
                 basics::program_folder_file(QLatin1String(name)),
                 basics::file_exists(basics::program_folder_file(QLatin1String(name))));
  }

  const QString base = base_folder(out);
  const std::optional<QStringList> vellic_ini =
      settings_lines(out, base + QStringLiteral("vellic.ini"), false);
  // The first match counts, as the window reads it.
  const QString external = basics::ini_find_string(
      vellic_ini.value_or(QStringList()), QStringLiteral("External archive directory"), QString());
  const QString archive = basics::archive_root(base, external);
  out.line(QStringLiteral("archive folder"),
           archive.isEmpty() ? QStringLiteral("(none: inputs are not archived)") : archive);
  const QString product = current_product(out, base);

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
