#include "dialogs/password_unit.h"

#include "basics/string_record.h"
#include "dialogs/form_font.h"
#include "platform/env.h"
#include "platform/operator_prompts.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtEndian>

#include <bit>
#include <optional>

namespace {

// Password file: version (float), 187 unused four-byte values, record count
// (uint16), then per record seven unused four-byte values and a string record.
constexpr qint64 kUnusedHeaderBytes = 187 * 4;
constexpr qint64 kUnusedRecordBytes = 7 * 4;

template <typename T>
std::optional<T> read_little_endian(QIODevice& file) {
  const QByteArray bytes = file.read(sizeof(T));
  if (bytes.size() != qsizetype(sizeof(T))) return std::nullopt;
  return qFromLittleEndian<T>(bytes.constData());
}

bool skip_exactly(QIODevice& file, qint64 count) {
  return file.skip(count) == count;
}

// Appends the text of every complete record to `target`. False when the file
// ends before its last record is complete.
bool append_password_records(QIODevice& file, QString& target) {
  const std::optional<quint32> version = read_little_endian<quint32>(file);
  if (!version) return false;
  basics::read_file_version = std::bit_cast<float>(*version);
  if (!skip_exactly(file, kUnusedHeaderBytes)) return false;
  const std::optional<quint16> record_count = read_little_endian<quint16>(file);
  if (!record_count) return false;

  bool complete = true;
  for (int record = 0; record < *record_count; ++record) {
    if (!skip_exactly(file, kUnusedRecordBytes)) return false;
    const bool fits = basics::string_record_fits(file);
    // Read even when cut short: a UTF-16 record with an oversized count
    // consumes only its count, and the records after it are still read.
    const QString text = basics::read_string_record(file);
    if (fits) {
      target += text;
    } else {
      complete = false;
    }
  }
  return complete;
}

}  // namespace

void read_password_file(QString& target, const QString& path) {
  target.clear();
  QByteArray contents;
  bool read_ok = platform::env().read_file(path, &contents).ok();
  if (read_ok) {
    QBuffer file(&contents);
    file.open(QIODevice::ReadOnly);
    read_ok = append_password_records(file, target);
  }
  if (!read_ok) {
    platform::prompts().show_message(QStringLiteral("Could not read password from file ") + path);
  }
}

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
