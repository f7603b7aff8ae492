#pragma once

// What the operator sees of a scanner window beyond its own layout: the
// panel right of the layout, the lamp in the tray, and the history of the
// handled files, kept in day files that outlive the program. Fed by the
// window's `lamp_changed` and `file_handled`; it reads the folders it is
// shown and drives nothing.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

#include "basics/history_file.h"
#include "platform/env.h"
#include "scanner/operator_state.h"

class QRect;
class QTimer;
class QWidget;

namespace scanner {

class operator_panel;
class tray_lamp;
struct tray_notice;

class operator_view : public QObject {
  Q_OBJECT

 public:
  // The panel at `area` of `window`; the tray's icon brings `window` back.
  operator_view(QWidget* window, const QRect& area);

  operator_panel* panel() const { return panel_; }
  tray_lamp* tray() const { return tray_; }

  // The folder of the history's day files, in the per-user folder.
  static QString history_folder();

  // Once a day (at the start and whenever the date has changed since):
  // removes the day files of days no longer kept and dates the history
  // rows of the days before.
  void greet_new_day();

  // Shows the newest records of the day files and the spectra of the last
  // conversion, then looks again every second (`looked_again`) while no
  // scan tick does.
  void start();
  void stop();

  // Whether the scan ticks every second: it then brings the panel up to
  // date itself, and an idle scanner wakes once a second, not twice.
  void follow_scan(bool ticking);

  // Appends `record` to its day file.
  platform::Status keep_in_history(const basics::history_record& record);

  // Which of `folders` are there, for the lamp, and which input folders
  // among them the running user cannot list or write into; what waits in
  // each input folder goes onto the panel, which changes only when what it
  // shows does. `during_step`: a scan step runs, and its listings are the
  // current ones.
  QList<needed_folder> look_at(const QList<watched_folder>& folders, const QDateTime& now,
                               bool during_step);

  // Tells the operator of an error through the tray.
  void notify(const tray_notice& notice);

  // The window's lamp, on the panel and in the tray.
  void show_lamp(const lamp& current);
  // A handled file on top of the history, its spectra when it was
  // converted, and a notice when it was set aside.
  void show_handled(const basics::history_record& record);

 signals:
  // A second has passed: time for the window to bring its lamp up to date.
  void looked_again();

 private:
  void load_history();
  void run_panel_timer();
  void show_last_spectra(const basics::history_record& record);

  operator_panel* panel_;
  tray_lamp* tray_;
  QTimer* panel_timer_;
  bool started_ = false;
  bool scan_ticking_ = false;
  // Made when the first file is handled, in the per-user folder of then.
  std::optional<basics::history_writer> history_;
  // The day the old day files were last removed on.
  QDate history_kept_on_;
};

}  // namespace scanner
