#pragma once

// The SELMAR window: adds the message board, the rules text, the postbake
// position offsets, the archive and database settings of the VELLIC base
// folder and the database connection.

#include <QString>

#include <array>

#include "database/connection.h"
#include "scanner/tulmen_scanner_main_unit.h"

class QPlainTextEdit;

class TSELMAR_spectrum_scanner_main : public TTULMEN_scanner_main {
  Q_OBJECT

 public:
  explicit TSELMAR_spectrum_scanner_main(QWidget* parent = nullptr);

  void FormCreate() override;

  void timer_action() override;
  // Leaves the product alone while a postbake sample is being converted.
  void set_new_product() override;
  void read_additional_postbake_ini_data(const QStringList& sl) override;

  void active_buttonClick() override;
  void Button2Click();

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

 private:
  void set_default_position_offsets();
  void read_vellic_ini();
  void read_selmar_ini(const QStringList& sl);
  void read_selmar_spectrum_scanner_ini();
  void open_database_connection();
};
