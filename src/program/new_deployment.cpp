#include "program/new_deployment.h"

#include <QStringList>
#include <QVector>

#include <cstdio>
#include <functional>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/point_selection_file.h"
#include "basics/sprachen.h"
#include "basics/text_file.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "basics/zeiss_file.h"
#include "command_line/command_line.h"
#include "platform/env.h"

namespace program {
namespace {

// The names a new deployment starts with; the guide says where to change them.
const QString kProduct = QStringLiteral("Production");
const QString kTraverse = QStringLiteral("LUMOR_TRAVERSE");
const QString kInline = QStringLiteral("LUMOR_INLINE");
const QString kProbeHead = QStringLiteral("Probe head 1");
const QString kPostbakeProduct = QStringLiteral("Postbake");
// The SELMAR scanner switches to "<product> maintenance" for maintenance plates.
const QString kMaintenanceProduct = kProduct + QStringLiteral(" maintenance");
// The inline channels' measurements as the SELMAR scanner names them by default.
const QString kInlineChannel0 = QStringLiteral("LUMOR2");
const QString kInlineChannel4 = QStringLiteral("LUMOR1");
const QString kGuideFile = QStringLiteral("settings_guide.txt");

// Runs `write`, which makes the file `path`; a failure names the file,
// since the system's words name only the temporary it was written to.
void write_named(const QString& path, const std::function<void()>& write) {
  try {
    write();
  } catch (const basics::error& e) {
    throw basics::error(QStringLiteral("%1 could not be written: %2").arg(path, e.text()));
  }
}

// What vellic_scanner.ini holds on each of its lines.
const char* const kScannerIniLines[] = {
    "the input folder the instrument writes into",
    "the LUMOR measurement that receives the converted files",
    "True: automatic product identification (TULMEN files), False: none",
    "scan files per measurement, 0 to 4 (0 writes none)",
    "points per spectrum of the Zeiss record",
    "the LUMOR measurement of the Halvik insitu files",
    "the key of the next line",
    "the insitu input folder",
    "",
    "settle time in seconds: a file is claimed once it is that old",
    "",
    "true: the scanner writes this file back when it closes, false: never",
};

// Makes the folders and files of one deployment under `root` (the program
// folder, with its delimiter), keeps the guide to them and says what it made
// when something fails.
class deployment_maker {
 public:
  explicit deployment_maker(QString root) : root_(std::move(root)) {}

  // `relative` with "/" between its parts, in the program folder.
  QString path(const QString& relative) const {
    return root_ + QString(relative).replace(QLatin1Char('/'), platform::kDelimiter);
  }

  // Makes the folder with every level above it; returns its path.
  QString folder(const QString& full_path) {
    if (!basics::ensure_folder_path(full_path)) {
      throw basics::error(QStringLiteral("The folder %1 cannot be created.").arg(full_path));
    }
    return full_path;
  }

  // A settings file read by line number, with its lines in the guide, each
  // with its meaning from `meanings`; lines without one are left out there.
  void settings(const QString& full_path, const QStringList& lines,
                const QStringList& meanings = {}) {
    write_named(full_path, [&] { basics::write_settings_lines(full_path, lines); });
    guide_ << QString() << full_path;
    for (int index = 0; index < lines.size(); ++index) {
      const QString meaning = meanings.value(index);
      if (meaning.isEmpty()) continue;
      guide_ << QStringLiteral("  line %1: \"%2\"  (%3)").arg(index).arg(lines[index], meaning);
    }
  }

  // A file whose lines are keys, each followed by its value.
  void keyed_settings(const QString& full_path, const QStringList& lines) {
    write_named(full_path, [&] { basics::write_settings_lines(full_path, lines); });
    guide_ << QString() << full_path;
    for (int index = 0; index + 1 < lines.size(); index += 2) {
      guide_ << QStringLiteral("  key \"%1\": \"%2\"").arg(lines[index], lines[index + 1]);
    }
  }

  void note(const QString& full_path, const QStringList& lines) {
    guide_ << QString() << full_path;
    for (const QString& line : lines) guide_ << QStringLiteral("  ") + line;
  }

  // The current product of a VELLIC tree is the one file in its folder.
  void current_product(const QString& base, const QString& product) {
    const QString file =
        platform::with_delimiter(folder(basics::current_product_folder(base))) + product;
    write_named(file, [&] {
      const platform::Status made = platform::publish_new_file(file, QByteArray());
      if (!made.ok()) throw basics::error(made.message());
    });
  }

  // A VELLIC tree at `base` whose current product is `product`, with a
  // measurement folder for each of `measurements` in each of `products`.
  void vellic_tree(const QString& base, const QString& product, const QStringList& products,
                   const QStringList& measurements) {
    current_product(base, product);
    for (const QString& each : products) {
      for (const QString& measurement : measurements) {
        folder(basics::measurement_folder(base, each, measurement));
      }
    }
    folder(base + QStringLiteral("archive"));
    folder(base + QStringLiteral("live_signals"));
  }

  void write_guide(const QString& program) {
    QStringList lines{
        QStringLiteral("The settings of this deployment of %1, made by --init.").arg(program),
        QStringLiteral("Settings files are read by line number or by key (a key line, then "
                       "its value);"),
        QStringLiteral("the scanner reads them when it starts. Check after every change:"),
        QStringLiteral("  %1 --check-config --program-folder %2").arg(program, root_)};
    const QString file = path(kGuideFile);
    write_named(file, [&] { basics::write_settings_lines(file, lines + guide_); });
  }

 private:
  QString root_;
  QStringList guide_;
};

// The layout of one kind of deployment: its input folders and measurements.
struct layout {
  QString input;         // the folder of line 0 of vellic_scanner.ini
  QString insitu_input;  // empty: none
  QString insitu_lumor;  // line 5; empty: none
  bool point_selection = false;
  bool probe_heads = false;
  bool selmar = false;  // the SELMAR settings, inline input and postbake system
  bool reads_vellic_ini = false;
};

layout layout_of(deployment_kind kind) {
  switch (kind) {
    case deployment_kind::dat_moves:
      return {QStringLiteral("input/dat"), {}, {}, false, false, false, false};
    case deployment_kind::tulmen:
      return {QStringLiteral("input/tulmen"), {}, {}, false, false, false, false};
    case deployment_kind::selmar:
      return {QStringLiteral("input/zeiss"), {}, {}, false, false, true, true};
    case deployment_kind::halvik:
      return {QStringLiteral("input/exsitu"),
              QStringLiteral("input/insitu"),
              kInline,
              true,
              false,
              false,
              true};
    case deployment_kind::dornik:
      break;
  }
  return {
      QStringLiteral("input/exsitu"), QStringLiteral("input/insitu"), {}, true, true, false, true};
}

void write_scanner_settings(deployment_maker& make, const layout& l) {
  basics::vellic_scanner_settings settings;
  settings.input_path = make.folder(make.path(l.input));
  settings.lumor_name = kTraverse;
  settings.lumor_insitu_name = l.insitu_lumor;
  if (!l.insitu_input.isEmpty())
    settings.insitu_input_path = make.folder(make.path(l.insitu_input));
  QStringList meanings;
  for (const char* meaning : kScannerIniLines) meanings << QString::fromLatin1(meaning);
  make.settings(make.path(QStringLiteral("vellic_scanner.ini")),
                basics::vellic_scanner_ini_lines(settings), meanings);
}

// The inline spectrometer's folder, the database left out (its pane ids are
// then simulated) and the inline channels' measurements.
void write_selmar_settings(deployment_maker& make, const QString& base) {
  make.keyed_settings(
      base + QStringLiteral("selmar_spectrum_scanner.ini"),
      {QStringLiteral("Avantes input path"), make.folder(make.path(QStringLiteral("input/inline"))),
       QStringLiteral("SQL connection string"), QString(), QStringLiteral("LUMOR inline channel 0"),
       kInlineChannel0, QStringLiteral("LUMOR inline channel 4"), kInlineChannel4,
       QStringLiteral("Test mode"), QStringLiteral("0")});
}

// The second VELLIC system of the SELMAR line, which receives the postbake
// samples, with the position offsets of its classes.
void write_postbake_system(deployment_maker& make) {
  const QString base = platform::with_delimiter(make.folder(make.path(QStringLiteral("postbake"))));
  make.vellic_tree(base, kPostbakeProduct, {kPostbakeProduct}, {kTraverse});
  QStringList lines{base, kTraverse};
  const QStringList keys{
      QStringLiteral("Position offset 4points 0"), QStringLiteral("Position offset 4points 1"),
      QStringLiteral("Position offset 4points 2"), QStringLiteral("Position offset 4points 3"),
      QStringLiteral("Position offset A"),         QStringLiteral("Position offset B"),
      QStringLiteral("Position offset C")};
  for (int index = 0; index < keys.size(); ++index) {
    lines << keys[index] << QString::number(basics::kDefaultPostbakeOffsets[size_t(index)]);
  }
  make.settings(make.path(QStringLiteral("vellic_postbake_path.ini")), lines,
                {QStringLiteral("the base folder of the postbake VELLIC system"),
                 QStringLiteral("its LUMOR measurement"),
                 QStringLiteral("from here on the position offsets of the postbake classes, "
                                "each key line before its value")});
}

// Column 0 the measurement, column 1 the probe head as the insitu files
// name it.
void write_probe_heads(deployment_maker& make) {
  basics::sprachen table;
  table.clear();
  table.set_wort(0, 0, QStringLiteral("Nickname"));
  table.set_wort(0, 1, QStringLiteral("Probe head"));
  table.anzahl_vokabeln_plus();
  table.set_wort(1, 0, kInline);
  table.set_wort(1, 1, kProbeHead);
  const QString file = make.path(QStringLiteral("DORNIK_probeheads.bin"));
  write_named(file, [&] { table.save_to_file(file); });
  make.note(file, {QStringLiteral("the probe-heads table: \"%1\" goes to the measurement %2")
                       .arg(kProbeHead, kInline),
                   QStringLiteral("edit it with dornik-language-editor (language_editor), or "
                                  "write it as text and import it with dornik-vocabulary-tool "
                                  "import; every measurement named needs its folder")});
}

void write_point_selection(deployment_maker& make) {
  const QString file = make.path(QStringLiteral("traverse_point_selection.txt"));
  write_named(file, [&] {
    basics::write_point_selection_file(file, QVector<bool>(basics::kTraversePointCount + 1, true));
  });
  make.note(file, {QStringLiteral("points 1 to 51 of the traverse: 1 converted, 0 left out "
                                  "(the point selection dialog writes it)")});
}

void make_deployment(deployment_maker& make, const layout& l) {
  write_scanner_settings(make, l);
  const QString base = platform::with_delimiter(make.folder(make.path(QStringLiteral("vellic"))));
  make.settings(make.path(QStringLiteral("vellic_path.ini")), {base},
                {QStringLiteral("the VELLIC base folder of the measurement system")});

  QStringList measurements{kTraverse};
  if (!l.insitu_lumor.isEmpty() || l.probe_heads) measurements << kInline;
  QStringList products{kProduct};
  if (l.selmar) {
    measurements << kInlineChannel0 << kInlineChannel4;
    products << kMaintenanceProduct;
  }
  make.vellic_tree(base, kProduct, products, measurements);
  make.note(base, {QStringLiteral("the VELLIC tree: current product %1 in "
                                  "database/current_product/, measurements %2 in "
                                  "database/products/<product>/measurements/, archive/, "
                                  "live_signals/")
                       .arg(kProduct, measurements.join(QStringLiteral(", ")))});
  if (l.reads_vellic_ini) {
    make.keyed_settings(base + QStringLiteral("vellic.ini"),
                        {QStringLiteral("Archive using date of measurement"), QStringLiteral("0"),
                         QStringLiteral("External archive directory"), QString()});
  }
  if (l.selmar) {
    write_selmar_settings(make, base);
    write_postbake_system(make);
  }
  if (l.point_selection) write_point_selection(make);
  if (l.probe_heads) write_probe_heads(make);
}

QString next_steps(const QString& program, const QString& root, const layout& l) {
  QString text =
      QStringLiteral(
          "Made a deployment of %1 in %2\n"
          "  settings files in %2, what each line holds in %2%3\n"
          "  the VELLIC tree %2vellic%4 (product %5), input folder %2%6\n")
          .arg(program, root, kGuideFile, QString(platform::kDelimiter), kProduct, l.input);
  text += QStringLiteral(
      "Edit next:\n"
      "  vellic_path.ini      line 0: the VELLIC base folder of the line's measurement "
      "system\n"
      "  vellic_scanner.ini   line 0: the folder the instrument writes into; line 1: "
      "its LUMOR measurement\n");
  if (!l.insitu_input.isEmpty()) {
    text += QStringLiteral("                       line 7: the insitu input folder\n");
  }
  if (l.probe_heads) {
    text += QStringLiteral(
        "  DORNIK_probeheads.bin  the probe heads and their measurements "
        "(dornik-language-editor)\n");
  }
  if (l.selmar) {
    text += QStringLiteral(
                "  vellic%1selmar_spectrum_scanner.ini  the inline folder, the database\n"
                "  vellic_postbake_path.ini  the postbake VELLIC system\n")
                .arg(platform::kDelimiter);
  }
  text += QStringLiteral(
              "Then check it and start it:\n"
              "  %1 --check-config --program-folder %2\n"
              "  %1 --program-folder %2\n")
              .arg(program, root);
  return text;
}

}  // namespace

int make_new_deployment(deployment_kind kind, const QString& program) {
  const QString root = basics::program_folder_file(QString());
  // Looked at without its delimiter, so a file in its place is found too.
  const std::optional<platform::DirEntry> there = platform::env().entry(root.chopped(1));
  if (there && !there->is_folder) {
    print(stderr, QStringLiteral("%1 is not a folder; nothing was made.\n").arg(root));
    return 1;
  }
  if (there) {
    const auto entries = platform::env().list_folder(root, QStringLiteral("*.*"));
    if (!entries || !entries->isEmpty()) {
      print(stderr, QStringLiteral("The folder %1 is not empty; --init makes a deployment only "
                                   "in a new or empty folder. Nothing was changed.\n")
                        .arg(root));
      return 1;
    }
  }
  const layout l = layout_of(kind);
  deployment_maker make(root);
  try {
    make.folder(root);
    make_deployment(make, l);
    make.write_guide(program);
  } catch (const basics::error& e) {
    print(stderr, QStringLiteral("%1\nThe deployment in %2 is not complete; remove what was made "
                                 "there and try again.\n")
                      .arg(e.text(), root));
    return 1;
  }
  print(stdout, next_steps(program, root, l));
  return 0;
}

}  // namespace program
