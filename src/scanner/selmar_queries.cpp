// The line speed and pane id questions that the SELMAR window asks the line's
// database, and its database test buttons.
//
// Every query is the configured text followed by a quoted date literal; the
// configured text ends where that literal belongs.

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/ole_date.h"
#include "basics/text.h"
#include "platform/env.h"
#include "platform/operator_prompts.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"
#include "scanner/window_controls.h"

namespace {

// The moment every query names in test mode 1, whatever the clock says.
const QString kTestModeDate = QStringLiteral("5/10/2013 2:30:01 PM");
// The moment of the "Historic ID" test button's question.
const QString kFixedPaneIdDate = QStringLiteral("5/13/2013 4:59:00 PM");

// Line speed without a database, and in place of an answer of 0.
constexpr qint32 kLineSpeedWithoutDatabase = 600;
constexpr qint32 kDefaultLineSpeed = 500;

// The channel whose queries the fixed-moment pane id uses.
constexpr int kFixedPaneIdChannel = 4;
constexpr int kInlineChannels = 5;

// The locale's short date, one space and its long time; the time is left out
// at exactly midnight.
QString date_text(const QDateTime& moment) {
  if (!moment.isValid()) {
    throw basics::error(QStringLiteral("The time of the pane id query is no valid date."));
  }
  const QLocale locale = QLocale::system();
  const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
  if (moment.time() == QTime(0, 0)) return date;
  return date + QLatin1Char(' ') + basics::long_time_text(locale, moment.time());
}

QString with_date_literal(const QString& configured, const QString& date) {
  return configured + QLatin1Char('\'') + date + QLatin1Char('\'');
}

bool is_blank(const QString& text) {
  return basics::trimmed(text).isEmpty();
}

}  // namespace

// ---- Line speed ---------------------------------------------------------------

void TSELMAR_spectrum_scanner_main::get_line_speed() {
  if (!ADOConnection.is_open()) {
    line_speed = kLineSpeedWithoutDatabase;
    return;
  }
  show_action(QStringLiteral("Get line speed ..."));
  // Draws the text before the query blocks the window, without handling other
  // events (a timer tick) in the middle of this step.
  action_label->repaint();
  line_speed = 0;
  if (!is_blank(sql_query_line_speed_pos20)) {
    const QString text = query_text(sql_query_line_speed_pos20, platform::env().now(), {});
    if (test_output()) send_message(text + QLatin1Char('\n'));
    line_speed = read_query_value(text, sql_fieldname);
  }
  publish_line_speed();
  show_action(QStringLiteral("Scan inline folder ..."));
}

void TSELMAR_spectrum_scanner_main::publish_line_speed() {
  const bool label_shown = !line_speed_label->isHidden();
  if (line_speed == 0) {
    line_speed = kDefaultLineSpeed;
    if (label_shown) {
      scanner::show_text(line_speed_label, QStringLiteral("Using default value of line speed: ") +
                                               QString::number(kDefaultLineSpeed));
    }
  } else if (label_shown) {
    scanner::show_text(line_speed_label, QStringLiteral("Line speed (according to database): ") +
                                             QString::number(line_speed));
  }

  const QString folder = line_speed_folder();
  QString name;
  basics::first_file(folder, QStringLiteral("*.txt"), name);
  const QString published = QString::number(line_speed) + QStringLiteral(".txt");
  // The same speed as last time: the file already has its name.
  if (!name.isEmpty() && name == published) return;
  if (name.isEmpty() || !platform::env().rename_file(folder + name, folder + published).ok()) {
    send_message(QStringLiteral("Could not rename ") + folder + name);
  }
}

QString TSELMAR_spectrum_scanner_main::line_speed_folder() const {
  // Without an inline input folder there is no line-speed folder; a relative
  // one would point into whatever the working folder happens to be.
  if (avantes_input_path.isEmpty()) return QString();
  return platform::with_delimiter(avantes_input_path) + QStringLiteral("line_speed") +
         platform::kDelimiter;
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

// The pane id is high × 65536 + low. A low half beyond 16 bits carries into the
// high half; the sum is kept whole in 64 bits, so a large high half gives the
// true number instead of a wrapped one that would name the wrong pane.
qint64 TSELMAR_spectrum_scanner_main::query_pane_id(pane_id_variant variant, int channel,
                                                    const QDateTime& moment) {
  if (variant != pane_id_variant::fixed && !ADOConnection.is_open()) {
    // Counts on for the window's whole life; wraps rather than overflows.
    pane_id_simulation = qint32(quint32(pane_id_simulation) + 1u);
    return pane_id_simulation;
  }
  const QString& high_query = sql_query_pane_id_high[channel];
  const QString& low_query = sql_query_pane_id_low[channel];
  if (is_blank(high_query) || is_blank(low_query)) return 0;

  const QString fixed_date = variant == pane_id_variant::fixed ? kFixedPaneIdDate : QString();
  const QString high_text = query_text(high_query, moment, fixed_date);
  show_test_output(variant, high_text);
  const int high = read_query_value(high_text, sql_fieldname);
  show_test_output(variant, QStringLiteral("High ") + QString::number(high));

  const QString low_text = query_text(low_query, moment, fixed_date);
  show_test_output(variant, low_text);
  const int low = read_query_value(low_text, sql_fieldname);
  show_test_output(variant, QStringLiteral("Low ") + QString::number(low));

  return qint64(high) * 65536 + low;
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

// ---- Queries ------------------------------------------------------------------

QString TSELMAR_spectrum_scanner_main::query_text(const QString& configured,
                                                  const QDateTime& moment,
                                                  const QString& fixed_date) const {
  if (!fixed_date.isEmpty()) return with_date_literal(configured, fixed_date);
  if (test_mode == 1) return with_date_literal(configured, kTestModeDate);
  return with_date_literal(configured, date_text(moment));
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
