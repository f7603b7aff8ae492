#include "program/check_config.h"

#include <QStringList>
#include <QVector>

#include <optional>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/key_value.h"
#include "basics/point_selection_file.h"
#include "basics/sprachen.h"
#include "basics/text_file.h"
#include "basics/tulmen_file.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "platform/env.h"

namespace program {
namespace {

// What a scanner program works with beyond the input folder, the
// measurement folder and the VELLIC tree every one has.
struct needs {
  QString input_role;             // the main input folder, as the report names it
  QString measurement_role;       // its measurement folder
  bool archive = true;            // archives its inputs (in the VELLIC archive)
  bool external_archive = false;  // or in vellic.ini's external archive directory
  bool reads_vellic_ini = false;
  bool point_selection = false;
  bool insitu = false;       // an insitu input folder, when one is set
  bool probe_heads = false;  // insitu files routed by the probe-heads table
  bool selmar = false;       // the SELMAR settings, inline input and postbake system
  // Sets the current product itself (SELMAR's maintenance plates, TULMEN's
  // product identification when switched on).
  bool switches_product = false;
  bool identifies_tulmen_product = false;
};

needs needs_of(deployment_kind kind) {
  needs n;
  n.input_role = QStringLiteral("input folder");
  n.measurement_role = QStringLiteral("measurement folder");
  switch (kind) {
    case deployment_kind::dat_moves:
      // Moved files are never archived.
      n.archive = false;
      break;
    case deployment_kind::tulmen:
      n.identifies_tulmen_product = true;
      break;
    case deployment_kind::selmar:
      n.input_role = QStringLiteral("Zeiss input folder");
      n.reads_vellic_ini = true;
      n.selmar = true;
      n.switches_product = true;
      break;
    case deployment_kind::halvik:
    case deployment_kind::dornik:
      n.input_role = QStringLiteral("exsitu input folder");
      n.measurement_role = QStringLiteral("exsitu measurement folder");
      n.reads_vellic_ini = true;
      n.point_selection = true;
      n.insitu = true;
      n.probe_heads = kind == deployment_kind::dornik;
      n.external_archive = n.probe_heads;
      break;
  }
  return n;
}

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
  // Something the scanner works around, at a cost the administrator should
  // know of.
  void warn(const QString& text) {
    text_ += QStringLiteral("warning: ") + text + QLatin1Char('\n');
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

QString base_folder(report& out, const QString& what, const QString& base) {
  out.needed(what, base, basics::folder_exists(base));
  return base;
}

// A folder the scanner writes into, with the rights of the user running
// this check: the scanner's own user when run as the guide says.
void writable_folder(report& out, const QString& what, const QString& folder) {
  if (!basics::folder_exists(folder)) {
    out.needed(what, folder, false);
    return;
  }
  const platform::Status writable = platform::check_folder_writable(folder);
  if (!writable.ok()) {
    out.fail(what, writable.message());
    return;
  }
  out.needed(what, folder, true);
}

// An input folder the settings name; an empty setting names none. The
// scanner lists it and renames and removes the files in it.
void input_folder(report& out, const QString& what, const QString& setting) {
  const QString folder = basics::folder_setting(setting);
  if (folder.isEmpty()) {
    out.needed(what, QStringLiteral("(not configured)"), false);
    return;
  }
  if (basics::folder_exists(folder)) {
    const platform::Status readable =
        platform::env().folder_access(folder, platform::FolderUse::read);
    if (!readable.ok()) {
      out.fail(what, readable.message());
      return;
    }
  }
  writable_folder(out, what, folder);
}

// The current product, or an empty one when none can be found (said in the
// report).
QString current_product(report& out, const QString& base, const QString& what) {
  const QString folder = basics::current_product_folder(base);
  const std::optional<QStringList> files = basics::current_product_files(base);
  if (!files) {
    out.fail(what, basics::unreadable_product_folder(folder));
    return QString();
  }
  if (files->isEmpty()) {
    if (basics::folder_exists(folder)) {
      out.fail(what, QStringLiteral("no current product: %1 holds no file").arg(folder));
    } else {
      out.needed(what, folder, false);
    }
    return QString();
  }
  if (files->size() > 1) {
    out.fail(what, QStringLiteral("ambiguous: %1 holds %2 files (%3); it must hold one")
                       .arg(folder)
                       .arg(files->size())
                       .arg(files->join(QStringLiteral(", "))));
    return files->first();
  }
  out.needed(what, files->first(), true);
  return files->first();
}

// The archive root of a VELLIC system (or the external one); without one,
// inputs are deleted without a copy.
void archive_folder(report& out, const QString& what, const QString& base,
                    const QString& external) {
  if (!external.isEmpty()) {
    writable_folder(out, what, external);
    return;
  }
  const QString archive = basics::archive_root(base, QString());
  if (archive.isEmpty()) {
    out.line(what, QStringLiteral("(none: inputs are not archived)"));
    out.warn(QStringLiteral("The %1 %2archive%3 is missing: input files are deleted after "
                            "conversion without an archive copy.")
                 .arg(what, base, QString(platform::kDelimiter)));
    return;
  }
  const platform::Status writable = platform::check_folder_writable(archive);
  if (!writable.ok()) {
    out.fail(what, writable.message());
    return;
  }
  out.line(what, archive);
}

void probe_heads(report& out, const QString& base, const QString& product) {
  const QString what = QStringLiteral("probe heads table");
  const QString path = basics::program_folder_file(QStringLiteral("DORNIK_probeheads.bin"));
  // Without a table every insitu file is set aside.
  const bool present = basics::file_exists(path);
  out.needed(what, path, present);
  if (!present) return;
  basics::sprachen table;
  try {
    if (!table.load_from_file(path)) table.clear();
  } catch (const basics::error& e) {
    out.fail(what, e.text());
    return;
  }
  // Row 0 names the columns; each further row sends the probe head of
  // column 1 to the measurement of column 0.
  int routes = 0;
  for (int row = 1; row < table.anzahl_vokabeln(); ++row) {
    const QString measurement = table.wort(row, 0);
    if (measurement.isEmpty()) {
      // Such a row routes nothing: its files are set aside like unknown ones.
      out.line(QStringLiteral("probe head \"%1\"").arg(table.wort(row, 1)),
               QStringLiteral("(no measurement named: its files are set aside)"));
      continue;
    }
    if (!table.wort(row, 1).isEmpty()) ++routes;
    writable_folder(out,
                    QStringLiteral("probe head \"%1\" -> %2").arg(table.wort(row, 1), measurement),
                    basics::measurement_folder(base, product, measurement));
  }
  if (routes == 0) {
    out.fail(what, QStringLiteral("no probe head is assigned to a measurement: every insitu file "
                                  "would be set aside"));
  }
}

// The point selection of the traverse files; one that cannot be read
// leaves every point selected.
void point_selection(report& out) {
  const QString path = basics::program_folder_file(QStringLiteral("traverse_point_selection.txt"));
  const QString what = QStringLiteral("settings file traverse_point_selection.txt");
  QVector<bool> selected;
  const std::optional<QString> why = basics::read_point_selection_if_present(path, selected);
  out.optional(what, path, platform::env().entry(path).has_value());
  if (why) out.warn(basics::unreadable_point_selection(path, *why));
}

// The SELMAR scanner's inline input folder and the measurements of its
// channels, from selmar_spectrum_scanner.ini in the VELLIC base folder.
void inline_input(report& out, const QString& base, const QString& product) {
  const std::optional<QStringList> lines =
      settings_lines(out, base + QStringLiteral("selmar_spectrum_scanner.ini"), true);
  if (!lines) return;
  const QString folder = basics::ini_read_string(QStringLiteral("Avantes input path"), *lines, {});
  if (folder.isEmpty()) {
    // No inline spectrometer on this line.
    out.line(QStringLiteral("inline input folder"), QStringLiteral("(not configured)"));
    return;
  }
  input_folder(out, QStringLiteral("inline input folder"), folder);
  // The window's defaults for the channels the file leaves out.
  const QString defaults[] = {QStringLiteral("LUMOR2"), {}, {}, {}, QStringLiteral("LUMOR1")};
  for (int channel = 0; channel < 5; ++channel) {
    const QString measurement = basics::ini_read_string(
        QStringLiteral("LUMOR inline channel %1").arg(channel), *lines, defaults[channel]);
    if (measurement.isEmpty()) continue;
    writable_folder(out, QStringLiteral("inline channel %1 -> %2").arg(channel).arg(measurement),
                    basics::measurement_folder(base, product, measurement));
  }
}

// The measurement folders of the products the TULMEN files name, when the
// scanner identifies the product from them.
void tulmen_products(report& out, const QString& base, const QString& lumor_name) {
  for (const QString& product : basics::tulmen_products()) {
    writable_folder(out, QStringLiteral("measurement folder of %1").arg(product),
                    basics::measurement_folder(base, product, lumor_name));
  }
}

// The second VELLIC system of a SELMAR line, which receives the postbake
// samples; a line without one has no vellic_postbake_path.ini.
void postbake_system(report& out) {
  const std::optional<QStringList> lines = settings_lines(
      out, basics::program_folder_file(QStringLiteral("vellic_postbake_path.ini")), false);
  if (!lines || lines->isEmpty() || basics::folder_setting(lines->first()).isEmpty()) return;
  const QString base = base_folder(out, QStringLiteral("postbake VELLIC base folder"),
                                   basics::folder_setting(lines->first()));
  const QString product = current_product(out, base, QStringLiteral("postbake current product"));
  writable_folder(out, QStringLiteral("postbake measurement folder"),
                  basics::measurement_folder(base, product, lines->value(1)));
  archive_folder(out, QStringLiteral("postbake archive folder"), base, QString());
}

}  // namespace

QString configuration_report(bool* usable, deployment_kind kind) {
  const needs n = needs_of(kind);
  report out;
  const QString program_folder = basics::program_folder_file(QString());
  out.needed(QStringLiteral("program folder"), program_folder,
             basics::folder_exists(program_folder));
  const std::optional<QStringList> scanner_lines =
      settings_lines(out, basics::program_folder_file(QStringLiteral("vellic_scanner.ini")), true);
  QStringList refused;
  const basics::vellic_scanner_settings settings =
      basics::read_vellic_scanner_ini(scanner_lines.value_or(QStringList()), &refused);
  // A refused value only costs its default: the window's error is a
  // warning here.
  const QString error_prefix = QStringLiteral("Error: ");
  for (QString message : refused) {
    if (message.startsWith(error_prefix)) message.remove(0, error_prefix.size());
    out.warn(QStringLiteral("refused setting: ") + message);
  }
  const QString insitu_input =
      basics::read_insitu_input_path(scanner_lines.value_or(QStringList()));
  if (n.point_selection) {
    out.optional(
        QStringLiteral("settings file vellic_pswd.bin"),
        basics::program_folder_file(QStringLiteral("vellic_pswd.bin")),
        basics::file_exists(basics::program_folder_file(QStringLiteral("vellic_pswd.bin"))));
    point_selection(out);
  }

  const std::optional<QStringList> path_lines =
      settings_lines(out, basics::program_folder_file(QStringLiteral("vellic_path.ini")), false);
  const QString base = base_folder(out, QStringLiteral("VELLIC base folder"),
                                   basics::vellic_base_folder(path_lines.value_or(QStringList())));
  QString external;
  if (n.reads_vellic_ini) {
    const std::optional<QStringList> vellic_ini =
        settings_lines(out, base + QStringLiteral("vellic.ini"), false);
    // The first match counts, as the window reads it.
    external = basics::ini_find_string(vellic_ini.value_or(QStringList()),
                                       QStringLiteral("External archive directory"), QString());
  }
  if (n.archive) {
    archive_folder(out, QStringLiteral("archive folder"), base,
                   n.external_archive ? external : QString());
  }
  const QString product = current_product(out, base, QStringLiteral("current product"));

  if (n.identifies_tulmen_product && settings.automatic_product_identification) {
    tulmen_products(out, base, settings.lumor_name);
  }
  if (n.switches_product ||
      (n.identifies_tulmen_product && settings.automatic_product_identification)) {
    // The product is switched by renaming the file there.
    writable_folder(out, QStringLiteral("current product folder"),
                    basics::current_product_folder(base));
  }
  input_folder(out, n.input_role, settings.input_path);
  writable_folder(out, n.measurement_role,
                  basics::measurement_folder(base, product, settings.lumor_name));
  // The insitu side is in use only where its input folder is set.
  if (n.insitu && !insitu_input.isEmpty()) {
    input_folder(out, QStringLiteral("insitu input folder"), insitu_input);
    if (n.probe_heads) {
      probe_heads(out, base, product);
    } else {
      writable_folder(out, QStringLiteral("insitu measurement folder"),
                      basics::measurement_folder(base, product, settings.lumor_insitu_name));
    }
  }
  if (n.selmar) {
    inline_input(out, base, product);
    postbake_system(out);
  }
  out.line(QStringLiteral("result"),
           out.usable() ? QStringLiteral("usable") : QStringLiteral("NOT usable"));
  *usable = out.usable();
  return out.text();
}

}  // namespace program
