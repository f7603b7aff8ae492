#include "support/site_env.h"

#include <new>

namespace test_support {

platform::Status site_env::read_file(const QString& path, QByteArray* contents) {
  if (refused_read_ && path.contains(*refused_read_)) {
    return platform::Status::Error(
        QStringLiteral("Cannot read \"%1\": Permission denied").arg(path));
  }
  if (exhausted_read_ && path.contains(*exhausted_read_)) throw std::bad_alloc();
  return FaultEnv::read_file(path, contents);
}

}  // namespace test_support
