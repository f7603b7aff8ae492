#pragma once

// Getting data and renames onto the disk on Linux: whole-file writes with or
// without a flush, flushes of folders, and one flush for many files.

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/env.h"

namespace platform {

// Env::write_file (`flush`) and Env::write_file_unsynced.
Status write_whole_file(const QString& path, const QByteArray& data, bool flush);

// Env::sync_folder.
Status sync_folder_to_disk(const QString& folder);

// Env::sync_files; `use_syncfs` false flushes each file on its own.
Status sync_files_to_disk(const QList<QString>& paths, bool use_syncfs);

}  // namespace platform
