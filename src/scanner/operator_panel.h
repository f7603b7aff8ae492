#pragma once

// The operator's panel beside the scanner window's own layout: the status
// lamp, the files waiting in each input folder, the spectra of the last
// converted file and the history of the last handled files. It shows what
// the window tells it and drives nothing.

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include "basics/history_file.h"
#include "basics/listing_census.h"
#include "basics/scan_data.h"
#include "scanner/operator_state.h"

class QLabel;
class QSpinBox;
class QTreeWidget;

namespace scanner {

class spectrum_plot;

// "12 s", "5 min", "3 h 20 min", "2 d 4 h": how long a file has waited.
QString age_text(qint64 seconds);

// What waits in one input folder.
struct waiting_line {
  QString role;
  QString folder;
  basics::waiting_summary summary;
};

// "3 waiting, the oldest for 5 min" or "none waiting".
QString waiting_text(const waiting_line& line, const QDateTime& now);

// The tooltip of a history row: the time, the input's path, the message,
// the output and the archive copy, one to a line.
QString history_tooltip(const basics::history_record& record);

// The time column of a history row: the time of day for a record of
// `today`, the date as well for any other.
QString history_time_text(const QDateTime& time, const QDate& today);

class operator_panel : public QWidget {
  Q_OBJECT

 public:
  // The panel's width; the window grows by it, to the right.
  // With the layout's 627 px the window fits a 1024 x 768 screen.
  static constexpr int kWidth = 380;
  // The most history rows shown; the day files keep every record.
  static constexpr int kHistoryRows = 200;

  explicit operator_panel(QWidget* parent = nullptr);

  void show_lamp(const lamp& current);
  void show_waiting(const QList<waiting_line>& lines, const QDateTime& now);
  // The spectra of a converted scan record: the position chosen in the
  // panel, the first when the record has fewer.
  void show_scan_record(const basics::scan_data& record, const QString& title);
  // The curve of an inline file.
  void show_curve(const QList<QPointF>& points, const QString& title);
  // A record on top of the history, its time told against `today`.
  void add_history(const basics::history_record& record, const QDate& today);
  // Tells the time of every row against a new `today`.
  void date_history(const QDate& today);

  QLabel* lamp_dot;
  QLabel* lamp_text;
  QLabel* waiting_label;
  spectrum_plot* plot;
  QSpinBox* position_box;
  QTreeWidget* history;

 private:
  void show_position();

  basics::scan_data record_;
  QString record_title_;
  bool has_record_ = false;
};

}  // namespace scanner
