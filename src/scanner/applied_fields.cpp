#include "scanner/applied_fields.h"

#include <QLineEdit>
#include <QObject>

#include "basics/files.h"
#include "scanner/window_controls.h"

namespace scanner {

applied_fields::~applied_fields() {
  for (const entry& watched : entries_) QObject::disconnect(watched.edited);
}

void applied_fields::add(QLineEdit* field, kind of_field, const std::function<void()>& applied) {
  entries_.push_back({field, of_field, field->text(), {}});
  entries_.back().edited =
      QObject::connect(field, &QLineEdit::editingFinished, field, [this, field, applied] {
        find(field)->text = field->text();
        show_folder_states();
        if (applied) applied();
      });
}

QString applied_fields::text(const QLineEdit* field) const {
  const entry* watched = find(field);
  return watched ? watched->text : field->text();
}

void applied_fields::set_text(QLineEdit* field, const QString& text) {
  field->setText(text);
  if (entry* watched = find(field)) watched->text = text;
}

void applied_fields::show_folder_states() const {
  for (const entry& watched : entries_) {
    if (watched.of_field != kind::folder) continue;
    const QString folder = basics::folder_setting(watched.text);
    const bool missing = !folder.isEmpty() && !basics::folder_exists(folder);
    show_fault(watched.field,
               missing ? QStringLiteral("The folder ") + folder + QStringLiteral(" does not exist.")
                       : QString());
  }
}

applied_fields::entry* applied_fields::find(const QLineEdit* field) {
  for (entry& watched : entries_) {
    if (watched.field == field) return &watched;
  }
  return nullptr;
}

const applied_fields::entry* applied_fields::find(const QLineEdit* field) const {
  return const_cast<applied_fields*>(this)->find(field);
}

}  // namespace scanner
