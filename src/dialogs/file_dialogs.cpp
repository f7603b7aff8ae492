#include "dialogs/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace dialogs {
namespace {

// The forms write filters as "Word list|*.bin"; Qt wants "Word list (*.bin)".
QString qt_filter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  return filters.join(QStringLiteral(";;"));
}

QString run(QWidget* owner, QFileDialog::AcceptMode mode, const QString& filter,
            const QString& default_suffix, const QString& file_name) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilter(qt_filter(filter));
  dialog.setDefaultSuffix(default_suffix);
  if (!file_name.isEmpty()) dialog.selectFile(file_name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  // Qt's dialog answers with '/'; the programs keep and show native paths.
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

qt_file_dialogs default_dialogs;
file_dialogs* current = &default_dialogs;

}  // namespace

QString qt_file_dialogs::open_file_name(QWidget* owner, const QString& filter,
                                        const QString& default_suffix, const QString& file_name) {
  return run(owner, QFileDialog::AcceptOpen, filter, default_suffix, file_name);
}

QString qt_file_dialogs::save_file_name(QWidget* owner, const QString& filter,
                                        const QString& default_suffix, const QString& file_name) {
  return run(owner, QFileDialog::AcceptSave, filter, default_suffix, file_name);
}

file_dialogs& file_choosers() {
  return *current;
}

scoped_file_dialogs::scoped_file_dialogs(file_dialogs* replacement) : previous_(current) {
  current = replacement;
}

scoped_file_dialogs::~scoped_file_dialogs() {
  current = previous_;
}

}  // namespace dialogs
