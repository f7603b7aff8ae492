#pragma once

// What a test makes with the system's own calls where only Linux offers
// them to every user (FIFOs, symbolic links), the system's program file
// names, and the test's way to leave itself out elsewhere. Each returns 0 on success, as the system
// calls do.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace test_support {

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// The file name of a program called `name`: Windows executables end in
// ".exe", whose four characters the program's own name leaves out.
inline QString program_file_name(const QString& name) {
  return kOnWindows ? name + QStringLiteral(".exe") : name;
}

inline int make_fifo([[maybe_unused]] const QString& path) {
#ifdef _WIN32
  return -1;
#else
  return ::mkfifo(QFile::encodeName(path).constData(), 0666);
#endif
}

// A symbolic link at `link` to `target`, taken as written (relative or not).
inline int make_symlink([[maybe_unused]] const QByteArray& target,
                        [[maybe_unused]] const QString& link) {
#ifdef _WIN32
  return -1;
#else
  return ::symlink(target.constData(), QFile::encodeName(link).constData());
#endif
}

}  // namespace test_support

// Leaves out a test of something Windows does not have (FIFOs; symbolic
// links, which need a privilege there).
#define SKIP_ON_WINDOWS(why) \
  if (test_support::kOnWindows) GTEST_SKIP() << (why)
