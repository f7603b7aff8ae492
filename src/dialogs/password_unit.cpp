#include "dialogs/password_unit.h"

#include "dialogs/form_font.h"
#include "platform/operator_prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

bool check_password(const QString& stored) {
  const std::optional<QString> entered = platform::prompts().ask_password();
  return entered.has_value() && *entered == stored;
}

TPasswordDlg::TPasswordDlg(QWidget* parent)
    : QDialog(parent),
      explanation(new QLabel(tr("Enter password:"), this)),
      Password(new QLineEdit(this)),
      OKBtn(new QPushButton(tr("OK"), this)),
      CancelBtn(new QPushButton(tr("Cancel"), this)) {
  setWindowTitle(tr("Password Dialog"));
  setFont(form_font());
  setFixedSize(233, 93);

  explanation->setObjectName(QStringLiteral("explanation"));
  // Sized to its text: the face may be wider than the one the form was
  // drawn for.
  explanation->move(8, 9);
  explanation->adjustSize();

  Password->setObjectName(QStringLiteral("Password"));
  Password->setGeometry(8, 27, 217, 21);
  Password->setEchoMode(QLineEdit::Password);
  // Every character shows as "*", whatever the style's own mask character.
  Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  Password->setFocus();  // the operator types at once

  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(70, 59, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  // Escape rejects a QDialog by itself; Cancel does the same.
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(150, 59, 75, 25);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}
