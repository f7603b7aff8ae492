#pragma once

// The path fields of a scanner window: a field that holds a folder or a name
// the scan uses counts only once editing ends (Enter, or the focus leaving
// it), never at each keystroke, so a half-typed path is never scanned and
// never written into the settings at close. A folder field shows when its
// folder does not exist.

#include <QMetaObject>
#include <QString>

#include <functional>
#include <vector>

class QLineEdit;

namespace scanner {

class applied_fields {
 public:
  enum class kind { folder, name };

  applied_fields() = default;
  // Ends the watching: a window being destroyed loses the focus of a field,
  // which ends its editing when nothing is left to apply it to.
  ~applied_fields();
  applied_fields(const applied_fields&) = delete;
  applied_fields& operator=(const applied_fields&) = delete;

  // Makes `field` apply when its editing ends; then `applied` runs. Until a
  // settings file or the operator says otherwise, its text counts.
  void add(QLineEdit* field, kind of_field, const std::function<void()>& applied = {});

  // The text of `field` as last applied: what the scan and the settings
  // written at close take, whatever is being typed into it. The field's
  // own text for a field not added.
  QString text(const QLineEdit* field) const;

  // Puts a value read from a settings file into `field`, applied at once.
  void set_text(QLineEdit* field, const QString& text);

  // Red text and a tooltip on each folder field whose folder does not
  // exist; an empty field is not configured, which is no fault.
  void show_folder_states() const;

 private:
  struct entry {
    QLineEdit* field;
    kind of_field;
    QString text;
    QMetaObject::Connection edited;
  };
  entry* find(const QLineEdit* field);
  const entry* find(const QLineEdit* field) const;

  std::vector<entry> entries_;
};

}  // namespace scanner
