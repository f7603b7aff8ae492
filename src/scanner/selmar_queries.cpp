// The line speed and pane id questions that the SELMAR window asks the line's
// database, and its database test buttons: the window's steps, labels and
// prompts. The rules of the questions live in database/line_queries and
// database/line_speed_file.

#include <QLabel>
#include <QPlainTextEdit>

#include "basics/ole_date.h"
#include "database/line_queries.h"
#include "database/line_speed_file.h"
#include "platform/env.h"
#include "platform/operator_prompts.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"
#include "scanner/window_controls.h"

namespace {

// The channel whose queries the fixed-moment pane id uses.
constexpr int kFixedPaneIdChannel = 4;
constexpr int kInlineChannels = 5;

}  // namespace

// ---- Line speed ---------------------------------------------------------------

void TSELMAR_spectrum_scanner_main::get_line_speed() {
  if (!ADOConnection.is_open()) {
    line_speed = database::kLineSpeedWithoutDatabase;
    return;
  }
  show_action(QStringLiteral("Get line speed ..."));
  // Draws the text before the query blocks the window, without handling other
  // events (a timer tick) in the middle of this step.
  action_label->repaint();
  line_speed = 0;
  if (!database::is_blank_query(sql_query_line_speed_pos20)) {
    const QString text = database::with_date_literal(
        sql_query_line_speed_pos20, database::query_date(platform::env().now(), {}, test_mode));
    if (test_output()) send_message(text + QLatin1Char('\n'));
    line_speed = read_query_value(text, sql_fieldname);
  }
  publish_line_speed();
  show_action(QStringLiteral("Scan inline folder ..."));
}

void TSELMAR_spectrum_scanner_main::publish_line_speed() {
  const bool label_shown = !line_speed_label->isHidden();
  if (line_speed == 0) {
    line_speed = database::kDefaultLineSpeed;
    if (label_shown) {
      scanner::show_text(line_speed_label, QStringLiteral("Using default value of line speed: ") +
                                               QString::number(database::kDefaultLineSpeed));
    }
  } else if (label_shown) {
    scanner::show_text(line_speed_label, QStringLiteral("Line speed (according to database): ") +
                                             QString::number(line_speed));
  }

  QString tried;
  if (!database::publish_line_speed_file(line_speed_folder(), line_speed, &tried)) {
    send_message(QStringLiteral("Could not rename ") + tried);
  }
}

QString TSELMAR_spectrum_scanner_main::line_speed_folder() const {
  return database::line_speed_folder(avantes_input_path);
}

// ---- Pane ids -----------------------------------------------------------------

QString TSELMAR_spectrum_scanner_main::last_inline_pane_id(int channel) {
  if (channel >= 0 && channel < kInlineChannels) {
    return QString::number(query_pane_id(pane_id_variant::now, channel, platform::env().now()));
  }
  if (channel == kInlineChannels) {
    const QString pane_id =
        QString::number(query_pane_id(pane_id_variant::fixed, kFixedPaneIdChannel, {}));
    platform::prompts().show_message(pane_id);
    return pane_id;
  }
  return QString();
}

QString TSELMAR_spectrum_scanner_main::historic_inline_pane_id(int channel, double the_datetime) {
  if (channel < 0 || channel >= kInlineChannels) return QString();
  return QString::number(
      query_pane_id(pane_id_variant::historic, channel, basics::date_time_from_ole(the_datetime)));
}

qint64 TSELMAR_spectrum_scanner_main::query_pane_id(pane_id_variant variant, int channel,
                                                    const QDateTime& moment) {
  if (variant != pane_id_variant::fixed && !ADOConnection.is_open()) {
    pane_id_simulation = database::next_simulated_pane_id(pane_id_simulation);
    return pane_id_simulation;
  }
  const database::pane_id_queries queries{sql_query_pane_id_high[channel],
                                          sql_query_pane_id_low[channel]};
  if (!queries.complete()) return 0;
  const QString fixed_date =
      variant == pane_id_variant::fixed ? database::kFixedPaneIdDate : QString();
  return database::ask_pane_id(
      queries, database::query_date(moment, fixed_date, test_mode), sql_fieldname,
      [this](const QString& text, const QString& column) { return read_query_value(text, column); },
      [this, variant](const QString& line) { show_test_output(variant, line); });
}

void TSELMAR_spectrum_scanner_main::show_test_output(pane_id_variant variant, const QString& text) {
  if (!test_output()) return;
  switch (variant) {
    case pane_id_variant::now:
      platform::prompts().show_message(text);
      break;
    case pane_id_variant::historic:
      send_message(text);
      break;
    case pane_id_variant::fixed:
      break;
  }
}

int TSELMAR_spectrum_scanner_main::read_query_value(const QString& text, const QString& column) {
  return ADOConnection.query_integer(text, column);
}

// ---- Test buttons -------------------------------------------------------------

void TSELMAR_spectrum_scanner_main::Button1Click() {
  last_inline_pane_id(kInlineChannels);
}

void TSELMAR_spectrum_scanner_main::Button3Click() {
  const QString text = sql_test_query->toPlainText();
  platform::prompts().show_message(text);
  // This button reads the column "value" whatever the settings name, and
  // shows the low half of the answer, as the pane id's low query gives it.
  const int value = read_query_value(text, QStringLiteral("value"));
  platform::prompts().show_message(QString::number(quint16(value)));
}

void TSELMAR_spectrum_scanner_main::Button4Click() {
  get_line_speed();
  platform::prompts().show_message(QString::number(line_speed));
}
