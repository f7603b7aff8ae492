#include "dialogs/basic_dialog_unit.h"

#include "dialogs/form_font.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

TBasic_dialog::TBasic_dialog(QWidget* parent)
    : QDialog(parent),
      OKBtn(new QPushButton(tr("OK"), this)),
      CancelBtn(new QPushButton(tr("Cancel"), this)),
      Bevel1(new QFrame(this)),
      description_label(new QLabel(this)) {
  setWindowTitle(tr("Basic dialog"));
  setFont(form_font());
  QPalette silver = palette();
  silver.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(silver);
  setAutoFillBackground(true);
  set_client_size(381, 232);

  // The frame is drawn first, so the controls of derived dialogs lie on it.
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 32, 368, 145);
  Bevel1->lower();

  description_label->setObjectName(QStringLiteral("description_label"));
  description_label->setFont(tahoma_font(13));
  description_label->move(8, 8);
  set_description(tr("This is a short description"));

  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(60, 192, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  // Escape rejects a QDialog by itself; Cancel does the same.
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(244, 192, 75, 25);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TBasic_dialog::copy_original_values_to_dialog() {
  setWindowTitle(my_caption);
  set_description(my_description);
}

void TBasic_dialog::user_interaction() {
  copy_original_values_to_dialog();
  do {
    exec();
  } while (result() == QDialog::Accepted && !user_values_are_ok());
}

bool TBasic_dialog::user_values_are_ok() {
  return result() != QDialog::Rejected;
}

void TBasic_dialog::showEvent(QShowEvent* event) {
  const QRect screen_area = screen()->availableGeometry();
  move(pos() + screen_area.center() - frameGeometry().center());
  QDialog::showEvent(event);
}

void TBasic_dialog::set_client_size(int width, int height) {
  setFixedSize(width, height);
}

void TBasic_dialog::set_description(const QString& text) {
  description_label->setText(text);
  description_label->adjustSize();
}
