#pragma once

// The base of the scanner window family: the settings files, the VELLIC
// product and output folders, the one-second scan timer, the heartbeat and the
// settings written back at close. Derived windows replace the scan step and
// add settings of their own through the virtual operations below.

#include <QHash>
#include <QMap>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

#include "basics/history_file.h"
#include "conversion/context.h"
#include "conversion/dat_moves.h"
#include "scanner/applied_fields.h"
#include "scanner/operator_state.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QTimer;

namespace scanner {
class operator_panel;
class operator_view;
class tray_lamp;
}  // namespace scanner

class TVELLIC_spectrum_scanner : public QWidget {
  Q_OBJECT

 public:
  explicit TVELLIC_spectrum_scanner(QWidget* parent = nullptr);
  ~TVELLIC_spectrum_scanner() override;

  // Runs the creation steps of the whole class chain after construction;
  // only the first call does anything. Scan steps wait until it has returned.
  void create();

  // ---- Virtual operations, in their declared order ------------------------
  virtual void timer_action();
  virtual void delete_action();
  virtual void switch_timer_state();
  virtual void set_timer_state(bool active);
  virtual void compose_total_output_path();
  virtual void set_new_product();
  virtual QString new_name(const QString& old_name);
  virtual void read_additional_postbake_ini_data(const QStringList& sl);
  virtual void read_additional_vellic_scanner_ini_data(const QStringList& sl);
  virtual void write_additional_vellic_scanner_ini_data(QStringList& sl);

  // The archive root, ending with the delimiter, or "" when nothing is to be
  // archived.
  QString compute_archive_path() const;

  // What the conversions of files claimed from `input_folder` need to know
  // of this window; each derived class adds what it holds.
  virtual conversion::context conversion_context(const QString& input_folder);

  // ---- Event handlers (entered through the general error report) ----------
  void FormClose();
  virtual void active_buttonClick();
  void clear_buttonClick();
  void Timer1Timer();
  void alive_timerTimer();
  // The test of the completeness check on a file this window holds open.
  // No layout of the base window binds it; the TULMEN and later windows
  // bind their Button1 to their own version.
  virtual void Button1Click();

  // True once the whole creation chain has run.
  bool creation_complete() const { return creation_complete_; }

  // ---- The operator's panel, right of the layout ---------------------------
  // The folders the panel watches: the input folders (with their masks),
  // the output folder of the current product, the archive root. Each
  // derived class names those of its own scan.
  virtual QList<scanner::watched_folder> watched_folders();
  // Brings the lamp and the waiting files up to date; the panel's timer
  // runs it every second. It reads the window's state and drives nothing.
  void refresh_operator_view();
  const scanner::lamp& current_lamp() const { return lamp_; }

  // ---- Fields ---------------------------------------------------------------
  QString input_path;
  QString vellic_path;
  QString product;
  QString postbake_product;
  QString lumor_name;
  QString postbake_lumor_name;
  QString total_output_path;
  QString postbake_total_output_path;
  QString live_signal_file;
  bool start_minimized = false;
  bool first_action = false;
  bool save_ini_file = true;
  QString vellic_postbake_path;
  QString lumor_insitu_name;
  QString total_output_path_insitu;
  QString insitu_input_path;
  qint32 no_scan_files = 0;
  qint32 no_spectral_positions = 0;
  QString vellic_password;
  QString external_archive_directory;
  float process_file_delay_time_in_seconds = 0;

  // ---- Controls -------------------------------------------------------------
  QLabel* Label5;
  QPushButton* active_button;
  QPushButton* clear_button;
  QLabel* Label4;
  QLineEdit* input_path_editor;
  QLabel* VELLIC_path_caption;
  QLabel* VELLIC_path_label;
  QLabel* cp_lab;
  QLabel* product_label;
  QLabel* lumor_lab;
  QLineEdit* output_path_editor;
  QLabel* Label3;
  QLabel* action_label;
  QLabel* dgt_lab;
  QLabel* total_output_path_label;
  QLabel* Label4b;
  QLineEdit* lumor_insitu_editor;
  QCheckBox* start_active_check_box;
  QCheckBox* automatic_product_identification;
  QLabel* vellic_postbake_path_;
  QLabel* Label7;
  QLabel* Label9;
  QLabel* Label11;
  QLabel* vellic_postbake_path_label;
  QLabel* postbake_product_label;
  QLabel* postbake_total_output_path_label;
  QLineEdit* postbake_output_path_editor;
  QTimer* Timer1;
  QTimer* alive_timer;

  // The panel, the tray lamp and the history are the scanner's additions
  // to the window, not controls of the form; tests look at them through
  // these.
  scanner::operator_view* the_view() const { return view_; }
  scanner::operator_panel* the_panel() const;
  scanner::tray_lamp* the_tray() const;

 signals:
  // The lamp shows another colour or text.
  void lamp_changed(const scanner::lamp& lamp);
  // A file was handled; its record is in the history.
  void file_handled(const basics::history_record& record);

  // A new text on the status line; `text_without_stamp` is the text without
  // its leading date and time, so observers can tell a repeat.
  void action_shown(const QString& text, const QString& text_without_stamp);

 protected:
  // The postbake group: shown only where a second VELLIC system is served.
  void show_postbake_controls(bool visible);

  // The creation steps. Each derived class's version calls its parent's at
  // the point its own steps need.
  virtual void FormCreate();

  void closeEvent(QCloseEvent* event) override;

  // Runs an event handler; an error escaping it is shown to the operator
  // with its text, and the program carries on.
  void run_guarded(const std::function<void()>& handler);

  // The fields holding a folder or a name the scan uses: each counts once
  // its editing ends, never at each keystroke.
  scanner::applied_fields path_fields;

  // Connects a button's click to a handler of this window, through the
  // general error report. A virtual handler runs the most derived version.
  template <class Window>
  void on_click(QPushButton* button, void (Window::*handler)());

  // A problem of the surroundings that the operator must hear of once, not
  // at every tick: on the status line, and on the message board where the
  // window has one.
  virtual void report_problem(const QString& text);

  // Keeps the record of a handled file in the history, and tells of it
  // (`file_handled`): on the panel, on the lamp and in the tray when the
  // file is in trouble.
  void note_handled(const basics::history_record& record);
  // An error the operator must see on the lamp (red for a few minutes).
  void note_fault(const QString& text);
  // The archive root the panel watches: `root`, or where the default
  // archive would be when `root` is empty (no archive).
  scanner::watched_folder watched_archive(const QString& root) const;
  // The same for the VELLIC system at `base`, named `role` on the lamp.
  scanner::watched_folder watched_archive(const QString& root, const QString& base,
                                          const QString& role) const;
  scanner::watched_folder watched_output() const;

  // The status line.
  void show_action(const QString& text);
  // The status line with the current date and time in front of `text`.
  void show_stamped_action(const QString& text);

  // Keeps Timer1 off while a scan step runs, so steps never overlap, and
  // switches it on again when the step ends, also by an error (before that
  // error is reported), unless the operator switched scanning off meanwhile.
  // The input files waiting in `folder`, listed once for the whole step:
  // the step's conversions of that folder take this listing.
  QStringList list_for_step(const QString& folder);

  class scan_step_pause {
   public:
    explicit scan_step_pause(TVELLIC_spectrum_scanner* window);
    ~scan_step_pause();
    scan_step_pause(const scan_step_pause&) = delete;
    scan_step_pause& operator=(const scan_step_pause&) = delete;

   private:
    TVELLIC_spectrum_scanner* window_;
  };

 private:
  scanner::operator_view* view_;
  // What the .dat scan carries from tick to tick (nothing so far).
  conversion::dat_moves_state dat_moves_state_;

  // The layout.
  void create_controls();
  void create_postbake_controls();
  void create_timers();
  void create_operator_view();

  void read_vellic_scanner_ini();
  void read_vellic_path_ini();
  void read_vellic_postbake_path_ini();

  void show_scanning_state(bool active);
  void show_lamp(const scanner::lamp& current);
  // The current product of the system at `base`; reports when its folder
  // turns unreadable and when it is readable again (`unreadable` keeps what
  // was last reported).
  QString watched_product(const QString& base, bool& unreadable);
  // Starts Timer1 when scanning is on, no step runs and the window is not
  // closing.
  void start_scan_timer_when_due();

  // What the operator chose; Timer1 runs when it is on and no step runs.
  bool scanning_ = false;
  bool scan_step_running_ = false;
  // What the running step has listed, by folder.
  QHash<QString, QStringList> step_listings_;
  bool creation_complete_ = false;
  // Set when the close begins: from then on no scan step starts.
  bool closing_ = false;
  // A close asked for while a step runs; it happens when the step ends.
  bool close_after_step_ = false;
  bool settings_written_ = false;
  bool product_unreadable_ = false;
  bool postbake_product_unreadable_ = false;
  std::optional<scanner::fault> last_fault_;
  // Input folders whose files the last scan step could not claim for want
  // of rights, each with the lamp's words for it; those of the step under
  // way are gathered apart, so the lamp never blinks between two steps.
  QMap<QString, QString> refused_claims_;
  QMap<QString, QString> refused_claims_this_step_;
  // Marks the watched input folders whose files the last step could not
  // claim.
  void add_refused_claims(QList<scanner::needed_folder>& folders) const;
  scanner::lamp lamp_;
  bool lamp_shown_ = false;
  // Said once until the history can be written again.
  bool history_failing_ = false;
};

template <class Window>
void TVELLIC_spectrum_scanner::on_click(QPushButton* button, void (Window::*handler)()) {
  auto* window = static_cast<Window*>(this);
  connect(button, &QPushButton::clicked, this,
          [this, window, handler] { run_guarded([window, handler] { (window->*handler)(); }); });
}
