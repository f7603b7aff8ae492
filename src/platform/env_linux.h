#pragma once

// The Linux Env with switches for its fallback paths, so tests reach them on
// a file system where the preferred calls work. The program itself uses
// `system_env()`, built with the defaults.
//
// Thread-safe: a Linux Env keeps nothing but its options: every call may run on
// several threads at once.

#include <memory>

#include "platform/env.h"

namespace platform {

struct LinuxEnvOptions {
  // true: a file still open elsewhere is found by taking a write lease;
  // false: only by scanning /proc/*/fd, as on file systems that refuse leases.
  bool use_leases = true;
  // true: claim with renameat2(RENAME_NOREPLACE); false: with link() and
  // unlink(), as on file systems that refuse the flag.
  bool use_rename_noreplace = true;
  // true: sync_files flushes each local file system once with syncfs()
  // (from Linux 5.8 on); false: each file with fdatasync(), as on network
  // file systems and older kernels.
  bool use_syncfs = true;
};

std::unique_ptr<Env> new_linux_env(const LinuxEnvOptions& options);

}  // namespace platform
