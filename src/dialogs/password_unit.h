#pragma once

// The operator password: the reader of the password file and the dialog that
// asks for it before a guarded action.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Reads the password file at `path` into `target` (emptied first): the texts
// of all its string records joined. Sets basics::read_file_version from the
// file. A file that cannot be read, or that ends before its last record is
// complete, is reported to the operator with "Could not read password from
// file " + path; the texts read before that point stay in `target`. Raises
// nothing.
void read_password_file(QString& target, const QString& path);

// Asks the operator for the password (a fresh, empty dialog on every call)
// and returns true only when it was confirmed with OK and equals `stored`
// exactly: same UTF-16 code units, no trimming, no case folding.
bool check_password(const QString& stored);

// The password dialog. Shown through platform::prompts().ask_password(), so
// tests can script the operator's answer.
class TPasswordDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TPasswordDlg(QWidget* parent = nullptr);

  QLabel* explanation;
  QLineEdit* Password;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};
