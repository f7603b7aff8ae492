#pragma once

// The Halvik window: the two-folder scan step of the main window (exsitu and
// insitu input folders), the traverse point selection and the inline record.

#include <QString>
#include <QVector>

#include "basics/scan_data.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/halvik_conversion.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"

class THalvik_scanner_main : public TSELMAR_spectrum_scanner_main {
  Q_OBJECT

 public:
  explicit THalvik_scanner_main(QWidget* parent = nullptr);

  // The scan step: both input folders, exsitu first.
  void timer_action() override;
  QList<scanner::watched_folder> watched_folders() override;
  void read_additional_vellic_scanner_ini_data(const QStringList& sl) override;
  void initialize_sc_data() override;
  virtual int no_selected_points();
  virtual void handle_exsitu_data();
  virtual void handle_insitu_data();
  // Whether traverse point `index_123` (1 to 51) is selected; false for any
  // other number.
  virtual bool point_is_selected(int index_123);
  // Adds the point selection.
  conversion::context conversion_context(const QString& input_folder) override;

  void initialize_points();
  void read_point_selection();
  void write_point_selection();

  void Points_buttonClick();
  // The insitu folder as the operator left the editor (Enter, or the focus
  // leaving it); its delimiter comes at the next composition.
  void insitu_path_editorChange();

  // The same as send_message.
  void add_message(const QString& this_message);

  basics::scan_data inline_data;
  QVector<bool> point_selected;

  QLabel* Label1;
  QLineEdit* insitu_path_editor;
  QPushButton* Points_button;

 protected:
  void FormCreate() override;

 protected:
  // The archive root of this window's conversions, as the panel watches it.
  virtual QString converted_archive_root() const;

  // What the exsitu scan carries from file to file: sc_data and the plate.
  conversion::exsitu_state exsitu_state_{sc_data, zeiss_plate};

 private:
  // What the insitu scan carries from file to file: inline_data and the
  // plate it shares with the exsitu files.
  conversion::halvik_insitu_state halvik_insitu_state_{inline_data, zeiss_plate};

  // The context of the Halvik conversions of `input_folder` into
  // `output_folder`, archived under `measurement`.
  conversion::context halvik_context(const QString& input_folder, const QString& output_folder,
                                     const QString& measurement);
};
