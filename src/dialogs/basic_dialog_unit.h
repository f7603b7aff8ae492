#pragma once

// The base of the program's small modal dialogs: a caption and a
// description taken from fields, OK and Cancel, a framed area for the
// controls of the derived dialog.

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

class TBasic_dialog : public QDialog {
  Q_OBJECT

 public:
  explicit TBasic_dialog(QWidget* parent = nullptr);

  // Caption and label text that copy_original_values_to_dialog shows.
  QString my_caption;
  QString my_description;

  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QFrame* Bevel1;
  QLabel* description_label;

  // Puts my_caption and my_description on the form; derived dialogs add
  // their own values.
  virtual void copy_original_values_to_dialog();
  // Shows the dialog modally until it is cancelled or confirmed with values
  // that user_values_are_ok accepts.
  virtual void user_interaction();
  // True unless the dialog was cancelled.
  virtual bool user_values_are_ok();

 protected:
  // Centres the dialog on the screen, not on its owner, each time it opens.
  void showEvent(QShowEvent* event) override;
  // Fixed size of the area inside the frame.
  void set_client_size(int width, int height);
  // Places the description label, which sizes itself to its text.
  void set_description(const QString& text);
};
