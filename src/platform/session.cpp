#include "platform/session.h"

#include <QByteArray>

namespace platform {

bool chosen_platform_draws_nowhere() {
  // A platform may carry options after a colon ("offscreen:fontengine=…").
  const QByteArray chosen = qgetenv("QT_QPA_PLATFORM").split(':').first();
  return chosen.isEmpty() || chosen == "offscreen" || chosen == "minimal";
}

}  // namespace platform
