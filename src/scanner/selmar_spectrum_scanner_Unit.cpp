#include "scanner/selmar_spectrum_scanner_Unit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "basics/files.h"
#include "basics/key_value.h"
#include "basics/vellic_tree.h"
#include "basics/zeiss_file.h"
#include "platform/operator_prompts.h"
#include "scanner/settings_file.h"
#include "scanner/window_controls.h"

namespace {

// The default position offsets of the postbake samples: the four-point
// sample's points 0 to 3, then samples A, B and C.
constexpr basics::postbake_offsets kDefaultPositionOffsets = basics::kDefaultPostbakeOffsets;

// The line speed is read every fifth tick in inline-only mode.
constexpr qint32 kLineSpeedTicks = 5;

const QStringList kRules{
    QString(),
    QStringLiteral("This SELMAR spectrum scanner acts according to the following rules:"),
    QString(),
    QStringLiteral("- There are 2 VELLIC systems installed, one for production and maintenance and "
                   "a second one for postbake analysis."),
    QString(),
    QStringLiteral("- If incoming Zeiss data have 15 measurement positions, the data go to the "
                   "normal product folder. The product"),
    QStringLiteral("  name is taken from the VELLIC production system. If this is in maintenance "
                   "mode, i.e. the current product is a"),
    QStringLiteral("  'maintenance product', a product change to normal production is done for the "
                   "VELLIC production system."),
    QStringLiteral(
        "- If the Zeiss data contain 32 measurement points, 'maintenance' is added to the "
        "product name and "),
    QStringLiteral("  a product change is issued for the VELLIC production system if necessary."),
    QStringLiteral("- If the Zeiss data contain less than 15 points, it is assumed that the file "
                   "contains spectra of a postbake sample."),
    QStringLiteral(
        "  In this case the platenumber (a 32 bit integer number) is analyzed by forming "
        "a number from bits 15, 14 and 13."),
    QStringLiteral("  001: postbaking_A, 010: postbaking_B, 011: postbaking_C, 100: "
                   "postbaking_4points ")};

// The most lines the message board shows.
constexpr int kBoardLinesShown = 1000;

QString key_text(const char* key) {
  return QString::fromLatin1(key);
}

}  // namespace

TSELMAR_spectrum_scanner_main::TSELMAR_spectrum_scanner_main(QWidget* parent)
    : TTULMEN_scanner_main(parent) {
  using namespace scanner;
  setWindowTitle(QStringLiteral("SELMAR spectrum scanner"));
  show_text(Label5, QStringLiteral("SELMAR spectrum scanner"));
  show_postbake_controls(true);
  Button1->setText(QStringLiteral("Historic ID"));

  Memo1 = add_memo(this, "Memo1", {8, 264, 593, 177}, kRules);
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
      basics::ini_find_integer(
          file.lines, key_text("Archive using date of measurement"), 0,
          [](const QString& text) { platform::prompts().show_message(text); }) == 1;
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

void TSELMAR_spectrum_scanner_main::timer_action() {
  const scan_step_pause pause(this);
  ++timer_count;
  if (!scan_inline_only) scan_zeiss_folder();
  if (basics::folder_exists(avantes_input_path)) scan_inline_folder();
  if (timer_count % kLineSpeedTicks == 0 && scan_inline_only) get_line_speed();
}

void TSELMAR_spectrum_scanner_main::initialize_sc_data() {
  basics::shape_zeiss_record(sc_data);
}

void TSELMAR_spectrum_scanner_main::scan_zeiss_folder() {
  Timer1->setInterval(1000);
  extension = QString::fromLatin1(conversion::kZeissMask);
  compose_total_output_path();
  conversion::context ctx = conversion_context(input_path);
  // The Zeiss files are archived in the measurement systems' own archives.
  ctx.archive_root = basics::archive_root(vellic_path, QString());
  conversion::handle_zeiss(ctx, zeiss_state_, zeiss_options());
}

conversion::zeiss_options TSELMAR_spectrum_scanner_main::zeiss_options() {
  conversion::zeiss_options options;
  options.no_scan_files = no_scan_files;
  if (!vellic_postbake_path.isEmpty()) {
    options.postbake.output_folder = postbake_total_output_path;
    options.postbake.product = postbake_product;
    options.postbake.archive_root = basics::archive_root(vellic_postbake_path, QString());
  }
  options.offsets = {position_offset_4points_0, position_offset_4points_1,
                     position_offset_4points_2, position_offset_4points_3,
                     position_offset_A,         position_offset_B,
                     position_offset_C};
  options.switch_product = [this](const QString& text, qint32 mode, conversion::context& ctx) {
    postbake_mode = mode;
    product = text;
    set_new_product();
    compose_total_output_path();
    ctx.product = product;
    ctx.output_folder = total_output_path;
  };
  options.clear_board = [this] { messages->clear(); };
  options.message_box = [](const QString& text) { platform::prompts().show_message(text); };
  return options;
}

void TSELMAR_spectrum_scanner_main::scan_inline_folder() {
  conversion::handle_inline(conversion_context(avantes_input_path), inline_state_,
                            inline_options());
}

conversion::inline_options TSELMAR_spectrum_scanner_main::inline_options() {
  conversion::inline_options options;
  options.lumor_names = {lumor_name_inline_channel_0, lumor_name_inline_channel_1,
                         lumor_name_inline_channel_2, lumor_name_inline_channel_3,
                         lumor_name_inline_channel_4};
  options.pane_id = [this](int channel, double when) {
    return historic_inline_pane_id(channel, when);
  };
  options.test_mode = test_mode;
  options.message_box = [](const QString& text) { platform::prompts().show_message(text); };
  return options;
}

QString TSELMAR_spectrum_scanner_main::inline_channel_folder(const QString& name) {
  return conversion::inline_channel_folder(conversion_context(avantes_input_path), inline_options(),
                                           name);
}

QString TSELMAR_spectrum_scanner_main::inline_file_pane_id(const QString& name,
                                                           double the_datetime) {
  const std::optional<int> channel = conversion::inline_channel(name);
  return channel ? historic_inline_pane_id(*channel, the_datetime) : QString();
}

qint32 TSELMAR_spectrum_scanner_main::postbake_piece(qint32 zeiss_platenumber) const {
  return basics::postbake_piece(zeiss_platenumber);
}

qint32 TSELMAR_spectrum_scanner_main::original_plate_number(qint32 zeiss_platenumber) const {
  return basics::original_plate_number(zeiss_platenumber);
}

QString TSELMAR_spectrum_scanner_main::postbake_type(qint32 pb_mode) const {
  return basics::postbake_type(pb_mode);
}

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

void TSELMAR_spectrum_scanner_main::report_problem(const QString& text) {
  TTULMEN_scanner_main::report_problem(text);
  send_message(text);
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

// The Zeiss files are archived in the measurement systems' own archives.
QList<scanner::watched_folder> TSELMAR_spectrum_scanner_main::watched_folders() {
  QList<scanner::watched_folder> folders{
      {QStringLiteral("Zeiss input folder"), input_path,
       QString::fromLatin1(conversion::kZeissMask)},
      watched_output(),
      watched_archive(basics::archive_root(vellic_path, QString()))};
  if (!avantes_input_path.isEmpty()) {
    folders.append({QStringLiteral("inline input folder"), avantes_input_path,
                    QString::fromLatin1(conversion::kInlineMask)});
  }
  if (!vellic_postbake_path.isEmpty()) {
    folders.append({QStringLiteral("postbake output folder of the product ") + postbake_product,
                    postbake_total_output_path,
                    {}});
    // Its samples are archived there as the production files are in theirs.
    folders.append(watched_archive(basics::archive_root(vellic_postbake_path, QString()),
                                   vellic_postbake_path,
                                   QStringLiteral("postbake archive folder")));
  }
  return folders;
}
