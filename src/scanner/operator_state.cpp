#include "scanner/operator_state.h"

#include <QStringList>

namespace scanner {

lamp lamp_for(const lamp_inputs& inputs) {
  if (inputs.last_fault && inputs.now.isValid() &&
      inputs.last_fault->time.secsTo(inputs.now) < qint64(kRedMinutes) * 60) {
    return {lamp_colour::red, inputs.last_fault->time.toString(QStringLiteral("HH:mm:ss")) +
                                  QStringLiteral("  ") + inputs.last_fault->text};
  }
  if (!inputs.scanning) return {lamp_colour::grey, QStringLiteral("Scanning is switched off.")};
  QStringList missing;
  for (const needed_folder& folder : inputs.folders) {
    if (folder.present && folder.problem.isEmpty()) continue;
    const QString role = folder.role.left(1).toUpper() + folder.role.mid(1);
    if (folder.path.isEmpty()) {
      missing << role + QStringLiteral(" is not configured.");
    } else {
      const QString state = folder.present ? folder.problem : QStringLiteral("is missing");
      missing << role + QStringLiteral(" ") + folder.path + QStringLiteral(" ") + state +
                     QStringLiteral(".");
    }
  }
  if (!missing.isEmpty()) return {lamp_colour::amber, missing.join(QLatin1Char(' '))};
  return {lamp_colour::green, QStringLiteral("Scanning; every folder is present.")};
}

QString colour_word(lamp_colour colour) {
  switch (colour) {
    case lamp_colour::green:
      return QStringLiteral("green");
    case lamp_colour::grey:
      return QStringLiteral("grey");
    case lamp_colour::amber:
      return QStringLiteral("amber");
    case lamp_colour::red:
      return QStringLiteral("red");
  }
  return QString();
}

}  // namespace scanner
