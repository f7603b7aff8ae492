#include "scanner/selmar_spectrum_scanner_Unit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "basics/key_value.h"
#include "platform/operator_prompts.h"
#include "scanner/settings_file.h"
#include "scanner/window_controls.h"

namespace {

// The default position offsets of the postbake samples: the four-point
// sample's points 0 to 3, then samples A, B and C.
constexpr std::array<qint32, 7> kDefaultPositionOffsets{3777, 3237, 2497, 1357, 3790, 2790, 1790};

// The most lines the message board shows.
constexpr int kBoardLinesShown = 1000;

QString key_text(const char* key) {
  return QString::fromLatin1(key);
}

}  // namespace

TSELMAR_spectrum_scanner_main::TSELMAR_spectrum_scanner_main(QWidget* parent)
    : TTULMEN_scanner_main(parent) {
  using namespace scanner;
  setWindowTitle(QStringLiteral("SELMAR_spectrum_scanner_main"));
  Button1->setText(QStringLiteral("Historic ID"));

  Memo1 = add_memo(this, "Memo1", {8, 264, 593, 177}, {});
  Label2 = add_label(this, "Label2", 16, 456, QStringLiteral("Messages:"));
  Button2 = add_button(this, "Button2", {496, 456, 113, 17}, QStringLiteral("Clear messages"));
  messages = add_memo(this, "messages", {16, 472, 593, 113}, {});
  // The board runs unattended for months: it keeps the recent lines only
  // (the journal keeps them all) and no undo history of them.
  messages->setUndoRedoEnabled(false);
  messages->setMaximumBlockCount(kBoardLinesShown);

  // The database test controls; the operator never sees them.
  line_speed_label = add_label(this, "line_speed_label", 16, 200, QStringLiteral("Line speed"));
  Button3 = add_button(this, "Button3", {390, 200, 100, 25}, QStringLiteral("sql_test_query"));
  Button4 = add_button(this, "Button4", {276, 200, 100, 25}, QStringLiteral("Line speed"));
  sql_test_query =
      add_memo(this, "sql_test_query", {112, 170, 150, 25}, {QStringLiteral("sql_test_query")});
  hide_controls({line_speed_label, Button3, Button4, sql_test_query});
  // Shown in the TULMEN layout only; Button1 runs this class's handler
  // through the TULMEN binding.
  automatic_product_identification->hide();

  on_click(Button2, &TSELMAR_spectrum_scanner_main::Button2Click);
  on_click(Button3, &TSELMAR_spectrum_scanner_main::Button3Click);
  on_click(Button4, &TSELMAR_spectrum_scanner_main::Button4Click);
}

void TSELMAR_spectrum_scanner_main::FormCreate() {
  timer_count = 0;
  scan_inline_only = false;
  set_default_position_offsets();
  insitu_input_path.clear();
  postbake_mode = 0;
  TTULMEN_scanner_main::FormCreate();
  read_vellic_ini();
  read_selmar_spectrum_scanner_ini();
  open_database_connection();
  active_button->setFocus();
}

void TSELMAR_spectrum_scanner_main::set_default_position_offsets() {
  position_offset_4points_0 = kDefaultPositionOffsets[0];
  position_offset_4points_1 = kDefaultPositionOffsets[1];
  position_offset_4points_2 = kDefaultPositionOffsets[2];
  position_offset_4points_3 = kDefaultPositionOffsets[3];
  position_offset_A = kDefaultPositionOffsets[4];
  position_offset_B = kDefaultPositionOffsets[5];
  position_offset_C = kDefaultPositionOffsets[6];
}

void TSELMAR_spectrum_scanner_main::read_additional_postbake_ini_data(const QStringList& sl) {
  position_offset_4points_0 = basics::ini_read_integer(key_text("Position offset 4points 0"), sl,
                                                       kDefaultPositionOffsets[0]);
  position_offset_4points_1 = basics::ini_read_integer(key_text("Position offset 4points 1"), sl,
                                                       kDefaultPositionOffsets[1]);
  position_offset_4points_2 = basics::ini_read_integer(key_text("Position offset 4points 2"), sl,
                                                       kDefaultPositionOffsets[2]);
  position_offset_4points_3 = basics::ini_read_integer(key_text("Position offset 4points 3"), sl,
                                                       kDefaultPositionOffsets[3]);
  position_offset_A =
      basics::ini_read_integer(key_text("Position offset A"), sl, kDefaultPositionOffsets[4]);
  position_offset_B =
      basics::ini_read_integer(key_text("Position offset B"), sl, kDefaultPositionOffsets[5]);
  position_offset_C =
      basics::ini_read_integer(key_text("Position offset C"), sl, kDefaultPositionOffsets[6]);
}

void TSELMAR_spectrum_scanner_main::read_vellic_ini() {
  const scanner::settings_file file =
      scanner::load_settings_file(vellic_path + QStringLiteral("vellic.ini"));
  if (!file.loaded()) return;
  archive_using_date_of_measurement =
      basics::ini_find_integer(file.lines, key_text("Archive using date of measurement"), 0) == 1;
  external_archive_directory = basics::ini_find_string(
      file.lines, key_text("External archive directory"), external_archive_directory);
}

void TSELMAR_spectrum_scanner_main::read_selmar_spectrum_scanner_ini() {
  const scanner::settings_file file =
      scanner::load_settings_file(vellic_path + QStringLiteral("selmar_spectrum_scanner.ini"));
  if (!file.loaded()) return;
  read_selmar_ini(file.lines);
  if (test_mode == 1) {
    platform::prompts().show_message(QStringLiteral("Test mode: ") + QString::number(test_mode));
  }
}

void TSELMAR_spectrum_scanner_main::read_selmar_ini(const QStringList& sl) {
  const auto text = [&sl](const QString& key, const QString& default_value = QString()) {
    return basics::ini_read_string(key, sl, default_value);
  };
  avantes_input_path = text("Avantes input path");
  sql_connection_string = text("SQL connection string", database::default_connection_string());
  sql_database = text("SQL database", QStringLiteral("VELLIC"));
  sql_fieldname = text("SQL fieldname", QStringLiteral("value"));
  for (int channel = 0; channel < 5; ++channel) {
    const QString prefix = QStringLiteral("SQL query channel %1 ").arg(channel);
    sql_query_pane_id_high[channel] = text(prefix + QStringLiteral("high"));
    sql_query_pane_id_low[channel] = text(prefix + QStringLiteral("low"));
  }
  sql_query_line_speed_pos20 = text("SQL query line speed POS20");
  lumor_name_inline_channel_0 = text("LUMOR inline channel 0", QStringLiteral("LUMOR2"));
  lumor_name_inline_channel_1 = text("LUMOR inline channel 1");
  lumor_name_inline_channel_2 = text("LUMOR inline channel 2");
  lumor_name_inline_channel_3 = text("LUMOR inline channel 3");
  lumor_name_inline_channel_4 = text("LUMOR inline channel 4", QStringLiteral("LUMOR1"));
  test_mode = basics::ini_read_integer(key_text("Test mode"), sl, 0);
}

void TSELMAR_spectrum_scanner_main::open_database_connection() {
  if (sql_connection_string.isEmpty()) return;
  // A database that cannot be reached is reported with the driver's words;
  // the remaining creation steps still run.
  run_guarded([this] { ADOConnection.open(sql_connection_string, sql_database); });
}

// The Zeiss and inline scan of the SELMAR window is not built yet.
void TSELMAR_spectrum_scanner_main::timer_action() {}

void TSELMAR_spectrum_scanner_main::set_new_product() {
  if (postbake_mode >= 0) return;
  TTULMEN_scanner_main::set_new_product();
}

void TSELMAR_spectrum_scanner_main::active_buttonClick() {
  TTULMEN_scanner_main::active_buttonClick();
  show_action(QStringLiteral("Scan inline folder ..."));
}

conversion::context TSELMAR_spectrum_scanner_main::conversion_context(const QString& input_folder) {
  conversion::context ctx = TTULMEN_scanner_main::conversion_context(input_folder);
  ctx.archive_by_date_of_measurement = archive_using_date_of_measurement;
  ctx.board = [this](const QString& line) { send_message(line); };
  return ctx;
}

void TSELMAR_spectrum_scanner_main::Button2Click() {
  messages->clear();
}

void TSELMAR_spectrum_scanner_main::send_message(const QString& the_message) {
  messages->appendPlainText(the_message);
  emit board_line_added(the_message);
}

void TSELMAR_spectrum_scanner_main::clean_message_board(int number_of_rows) {
  QTextDocument* board = messages->document();
  const int lines = board->isEmpty() ? 0 : board->blockCount();
  const int surplus = lines - qMax(0, number_of_rows);
  if (surplus <= 0) return;
  if (surplus == lines) {
    messages->clear();
    return;
  }
  QTextCursor cursor(board->findBlockByNumber(surplus));
  cursor.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}
