#pragma once

// The port through which the dialogs ask the operator for a file name: open
// and save dialogs. The Qt implementation shows real modal file dialogs;
// tests install one that plays scripted choices.

#include <QString>

class QWidget;

namespace dialogs {

class file_dialogs {
 public:
  virtual ~file_dialogs() = default;

  // An open dialog for an existing file; the chosen path, or "" when the
  // operator cancels. `filter` is "Description|*.ext"; `file_name` presets
  // the dialog.
  virtual QString open_file_name(QWidget* owner, const QString& filter,
                                 const QString& default_suffix, const QString& file_name) = 0;
  // A save dialog; the chosen path (with `default_suffix` added when the
  // operator typed none), or "" when cancelled.
  virtual QString save_file_name(QWidget* owner, const QString& filter,
                                 const QString& default_suffix, const QString& file_name) = 0;
};

// QFileDialog, modal on `owner`.
class qt_file_dialogs : public file_dialogs {
 public:
  QString open_file_name(QWidget* owner, const QString& filter, const QString& default_suffix,
                         const QString& file_name) override;
  QString save_file_name(QWidget* owner, const QString& filter, const QString& default_suffix,
                         const QString& file_name) override;
};

// The file dialogs in use: the Qt ones until a test installs others.
file_dialogs& file_choosers();

// Installs `replacement` as `file_choosers()` for its lifetime.
class scoped_file_dialogs {
 public:
  explicit scoped_file_dialogs(file_dialogs* replacement);
  ~scoped_file_dialogs();
  scoped_file_dialogs(const scoped_file_dialogs&) = delete;
  scoped_file_dialogs& operator=(const scoped_file_dialogs&) = delete;

 private:
  file_dialogs* previous_;
};

}  // namespace dialogs
