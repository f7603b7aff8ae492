#pragma once

// The operator's stand-in for tests of modal dialogs: each scripted action
// runs on the modal dialog as soon as it is open, one action per time a
// dialog is shown, from inside the dialog's own event loop.
//
//   modal_script operator_;
//   operator_.then([](QWidget* dialog) { press_ok(dialog); });
//   edit_point_selection(&owner, flags);

#include <QQueue>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace test_support {

class modal_script {
 public:
  using action = std::function<void(QWidget* dialog)>;

  modal_script();
  void then(action next) { actions_.enqueue(std::move(next)); }
  qsizetype actions_left() const { return actions_.size(); }

 private:
  void run_next_on_open_dialog();

  QQueue<action> actions_;
  QTimer poll_;
};

// Clicks the child button called `name` (e.g. "OKBtn") of `dialog`.
void click_button(QWidget* dialog, const QString& name);

}  // namespace test_support
