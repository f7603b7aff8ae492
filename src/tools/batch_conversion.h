#pragma once

// The convert commands: measurement files converted in batches, in the order
// given, into one output folder the way the scanner does, without its window.
// Each returns the exit code of tools/batch_output.h.

#include "tools/batch_output.h"

#include <QString>
#include <QStringList>

namespace tools {

using converter = int (*)(const QString& folder, const QStringList& files,
                          const batch_options& options);

int convert_exsitu(const QString& folder, const QStringList& files, const batch_options& options);
int convert_halvik_exsitu(const QString& folder, const QStringList& files,
                          const batch_options& options);
int convert_halvik_insitu(const QString& folder, const QStringList& files,
                          const batch_options& options);
int convert_insitu(const QString& folder, const QStringList& files, const batch_options& options);
int convert_tulmen(const QString& folder, const QStringList& files, const batch_options& options);
int convert_zeiss(const QString& folder, const QStringList& files, const batch_options& options);

}  // namespace tools
