#pragma once

// The SELMAR window: adds the message board, the rules text, the postbake
// position offsets, the archive and database settings of the VELLIC base
// folder and the database connection.

#include <QDateTime>
#include <QString>

#include <array>

#include "conversion/inline_files.h"
#include "conversion/zeiss_conversion.h"
#include "database/connection.h"
#include "scanner/tulmen_scanner_main_unit.h"

class QPlainTextEdit;

class TSELMAR_spectrum_scanner_main : public TTULMEN_scanner_main {
  Q_OBJECT

 public:
  explicit TSELMAR_spectrum_scanner_main(QWidget* parent = nullptr);

  void timer_action() override;
  QList<scanner::watched_folder> watched_folders() override;
  // Leaves the product alone while a postbake sample is being converted.
  void set_new_product() override;
  void read_additional_postbake_ini_data(const QStringList& sl) override;
  // The scan record of Zeiss files: 32 positions, 3 spectra of 125 points
  // from 380 to 1000 nm; every file resizes it.
  void initialize_sc_data() override;

  // ---- Zeiss and inline scan (the conversions live in src/conversion) -----
  // The Zeiss plate files of the input folder, at most 31 per tick.
  void scan_zeiss_folder();
  // One inline spectrometer file per tick.
  void scan_inline_folder();
  // The output folder of an inline file's channel, ending with the
  // delimiter; empty when the name has no channel.
  QString inline_channel_folder(const QString& name);
  // The pane id of an inline file's channel at `the_datetime`; empty when
  // the name has no channel.
  QString inline_file_pane_id(const QString& name, double the_datetime);
  qint32 postbake_piece(qint32 zeiss_platenumber) const;
  qint32 original_plate_number(qint32 zeiss_platenumber) const;
  QString postbake_type(qint32 pb_mode) const;

  void active_buttonClick() override;
  // Adds the message board and the archive date rule.
  conversion::context conversion_context(const QString& input_folder) override;
  void Button2Click();
  // The database test buttons ("Historic ID", "sql_test_query", "Line speed").
  void Button1Click() override;
  void Button3Click();
  void Button4Click();

  // ---- Line speed and pane id queries (selmar_queries.cpp) ----------------
  // A database error passes to the caller as a basics::error with the
  // driver's text; nothing is caught here.
  //
  // Asks the database for the line speed and publishes it; 600 without a
  // connection, and then nothing is published.
  void get_line_speed();
  // Renames the one .txt file of the line-speed folder to line_speed + ".txt"
  // (500 when line_speed is 0).
  void publish_line_speed();
  // The folder holding the line-speed file, ending with the delimiter; empty
  // when no inline input folder is configured.
  QString line_speed_folder() const;
  // The pane id under inline channel 0 ... 4 now, as decimal text; channel 5
  // asks channel 4's queries at a fixed test moment and shows the answer.
  // Empty for any other channel.
  QString last_inline_pane_id(int channel);
  // The pane id under inline channel 0 ... 4 at `the_datetime` (days since
  // 30 December 1899), as decimal text; empty for any other channel. A
  // `the_datetime` that is no date is an error when the query needs it.
  QString historic_inline_pane_id(int channel, double the_datetime);

  // Appends one line at the end of the message board.
  void send_message(const QString& the_message);
  // Deletes lines from the top of the board until at most `number_of_rows`
  // remain.
  void clean_message_board(int number_of_rows);

  qint32 postbake_mode = 0;
  qint32 zeiss_plate = 0;
  qint32 position_offset_4points_0 = 0;
  qint32 position_offset_4points_1 = 0;
  qint32 position_offset_4points_2 = 0;
  qint32 position_offset_4points_3 = 0;
  qint32 position_offset_A = 0;
  qint32 position_offset_B = 0;
  qint32 position_offset_C = 0;
  bool archive_using_date_of_measurement = false;
  QString avantes_input_path;
  std::array<QString, 5> sql_query_pane_id_high;
  std::array<QString, 5> sql_query_pane_id_low;
  QString sql_query_line_speed_pos20;
  QString sql_connection_string;
  QString sql_database;
  QString sql_fieldname;
  QString lumor_name_inline_channel_0;
  QString lumor_name_inline_channel_1;
  QString lumor_name_inline_channel_2;
  QString lumor_name_inline_channel_3;
  QString lumor_name_inline_channel_4;
  bool scan_inline_only = false;
  qint32 line_speed = 0;
  qint32 timer_count = 0;
  qint32 pane_id_simulation = 0;
  qint32 test_mode = 0;

  QPlainTextEdit* Memo1;
  QLabel* Label2;
  QPushButton* Button2;
  QPlainTextEdit* messages;
  QLabel* line_speed_label;
  QPushButton* Button3;
  QPlainTextEdit* sql_test_query;
  QPushButton* Button4;
  database::connection ADOConnection;

 signals:
  // A line appended to the message board.
  void board_line_added(const QString& line);

 protected:
  void FormCreate() override;
  // Also on the message board.
  void report_problem(const QString& text) override;

 private:
  conversion::zeiss_options zeiss_options();
  conversion::inline_options inline_options();
  // What the Zeiss scan carries from file to file: the window's fields of
  // those names.
  conversion::zeiss_state zeiss_state_{sc_data, no_spectral_positions, zeiss_plate, postbake_mode};
  // The inline files waiting behind the others after a failed pane id
  // query, and the error the operator has seen.
  conversion::inline_state inline_state_;
  void set_default_position_offsets();
  void read_vellic_ini();
  void read_selmar_ini(const QStringList& sl);
  void read_selmar_spectrum_scanner_ini();
  void open_database_connection();

  // How a pane id query picks its moment, whether it may simulate the answer
  // without a connection, and where its test output goes.
  enum class pane_id_variant { now, historic, fixed };
  qint64 query_pane_id(pane_id_variant variant, int channel, const QDateTime& moment);
  int read_query_value(const QString& text, const QString& column);
  void show_test_output(pane_id_variant variant, const QString& text);
  bool test_output() const { return test_mode > 0; }
};
