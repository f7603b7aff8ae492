#pragma once

// The operator password: the dialog that asks for it before a guarded action.
// The password file itself is read by basics/password_file.h.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

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
