#pragma once

// The main window of the DORNIK spectrum scanner: converts exsitu traverse
// measurements into scan files and insitu probe-head measurements into inline
// files, using the probe-head translation table.

#include <QString>

#include <functional>

#include "basics/sprachen.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"

class TDORNIK_scanner_main : public THalvik_scanner_main {
  Q_OBJECT

 public:
  explicit TDORNIK_scanner_main(QWidget* parent = nullptr);

  void FormCreate() override;

  // 33 positions, 3 spectra, 121 points from 380 to 980 nm.
  void initialize_sc_data() override;
  // The scan record's 33 positions, whatever the point selection says.
  int no_selected_points() override;
  void handle_exsitu_data() override;
  void handle_insitu_data() override;

  // Fills sc_data and zeiss_plate from the exsitu lines in my_file_content;
  // `path` is the file they came from (its time is the time of measurement).
  void read_exsitu_measurement(const QString& path);
  // Converts the claimed exsitu file at `path` into a scan file and archives
  // it; a file that cannot be converted or archived is set aside, never lost.
  void convert_exsitu_file(const QString& path);
  // Copies the claimed file at `path` into the dated archive; false when the
  // copy could not be made (archiving switched off counts as done).
  bool archive_exsitu_file(const QString& path);

  // Converts the claimed insitu file at `path` into the two-column inline
  // file of its probe head. A file whose output cannot be written (probe
  // head unknown, measurement folder missing, write failure) or that cannot
  // be read is set aside, never lost.
  // True when the inline file was written.
  bool convert_insitu_file(const QString& path);
  enum class archived { copied, switched_off, failed };
  // Copies the claimed insitu file at `path` into the dated archive under
  // `name`.
  archived archive_insitu_file(const QString& path, const QString& name);

  basics::sprachen destination_translation;
  qint32 zeiss_plate = 0;

 protected:
  // Whether a file that cannot be claimed yet shows on the status line.
  enum class rename_failure { silent, reported };
  // Claims the first "*.csv" file of `folder` by renaming it to a temporary
  // name, at most ten passes per call, and hands each claimed path to
  // `convert`. A file younger than the settle time is left for a later tick.
  // The temporary file is removed after `convert` unless it was set aside.
  void claim_and_convert(const QString& folder, const QString& action,
                         rename_failure on_rename_failure,
                         const std::function<void(const QString&)>& convert);
  // True while the file at `path` is younger than the settle time.
  bool still_settling(const QString& path);
  // Builds archive root + product + year/month/day + `leaf` into
  // archive_path, creating each folder; false when archiving is switched off.
  // `measured` dates the folders when archiving by date of measurement.
  bool prepare_archive_folder(const QString& leaf, const QDateTime& measured);
  // A plate's copy replaces the earlier copy of that plate; a refused file
  // never takes the place of another file's copy.
  enum class archive_naming { replace, keep_existing };
  // Copies the claimed file at `path` as `archive_name` into the dated
  // archive folder `leaf`; `copy`, when given, receives the copy's path.
  archived archive_copy(const QString& path, const QString& leaf, const QString& archive_name,
                        const QDateTime& measured, archive_naming naming, QString* copy = nullptr);
  // Reads the claimed file at `path` into my_file_content; a file that
  // cannot be read is set aside and false returned.
  bool load_claimed_file(const QString& path);
  // Moves the claimed file at `path` back into its folder under its own
  // name + ".failed", out of the scan's reach, and says so on the board.
  void set_aside(const QString& path, const QString& reason);

  // The input folder name of the file being converted, before it was claimed.
  QString claimed_name;
  // Set when the claimed file was set aside and must not be deleted.
  bool claimed_file_kept = false;

 private:
  // Reads the plate number from `field` into zeiss_plate; a field that does
  // not convert is reported and gives the value of its leading digits.
  void take_plate_number(const QString& field);
  // The inline file of zeiss_plate for `probe_head`; sets the claimed file
  // at `path` aside and returns empty when the probe head is not in the
  // table or its measurement folder is missing.
  QString insitu_output_file(const QString& path, const QString& probe_head);

  // Converts and archives one claimed insitu file; one that gave no inline
  // file is never deleted without an archive copy.
  void process_insitu_file(const QString& path);
  // Refuses the claimed file with `message`: no scan file, archived under
  // its own name so no other measurement's copy is replaced, or set aside
  // when there is no archive to keep it.
  void refuse_exsitu_file(const QString& path, const QString& message);
};
