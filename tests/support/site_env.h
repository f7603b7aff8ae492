#pragma once

// The FaultEnv of a test site, which can also refuse reads: a file that
// exists but cannot be read (tests run as root, so permissions cannot do it),
// or one whose contents find no memory to go into.

#include <QByteArray>
#include <QString>

#include <optional>

#include "support/fault_env.h"

namespace test_support {

class site_env : public platform::FaultEnv {
 public:
  void refuse_read(const QString& path_part) { refused_read_ = path_part; }
  // Reading a matching path throws std::bad_alloc, as the allocation for a
  // file's contents does when the memory has run out.
  void exhaust_memory_reading(const QString& path_part) { exhausted_read_ = path_part; }
  platform::Status read_file(const QString& path, QByteArray* contents) override;

 private:
  std::optional<QString> refused_read_;
  std::optional<QString> exhausted_read_;
};

}  // namespace test_support
