#pragma once

// File dialogs for tests: record what each dialog was opened with and answer
// from a queue of chosen paths ("" for a cancelled dialog). Installs itself
// as dialogs::file_choosers() for its lifetime. Header only: its users link
// the dialogs library already.

#include <QList>
#include <QQueue>
#include <QString>

#include "dialogs/file_dialogs.h"

namespace test_support {

struct shown_file_dialog {
  bool save;  // a save dialog, else an open dialog
  QString filter;
  QString default_suffix;
  QString file_name;
};

class scripted_file_dialogs : public dialogs::file_dialogs {
 public:
  scripted_file_dialogs() : installed_(this) {}

  // The path the next dialog returns; "" cancels it.
  void choose(const QString& path) { choices_.enqueue(path); }
  qsizetype choices_left() const { return choices_.size(); }
  const QList<shown_file_dialog>& shown() const { return shown_; }

  QString open_file_name(QWidget*, const QString& filter, const QString& default_suffix,
                         const QString& file_name) override {
    shown_.append({false, filter, default_suffix, file_name});
    return choices_.isEmpty() ? QString() : choices_.dequeue();
  }
  QString save_file_name(QWidget*, const QString& filter, const QString& default_suffix,
                         const QString& file_name) override {
    shown_.append({true, filter, default_suffix, file_name});
    return choices_.isEmpty() ? QString() : choices_.dequeue();
  }

 private:
  QQueue<QString> choices_;
  QList<shown_file_dialog> shown_;
  dialogs::scoped_file_dialogs installed_;
};

}  // namespace test_support
