#pragma once

// The files waiting in an input folder: only what a scan can claim, in
// listing order. An entry that no scan can ever claim (a FIFO, a socket, a
// device, a link to nothing) would otherwise sort in front of good files
// and hold them up for good without a word.

#include <QStringList>

#include "basics/measurement_file.h"
#include "platform/env.h"

namespace conversion {

// The names of the files in `folder` matching `mask`, in listing order as
// `system` lists them;
// empty when the folder is missing. Each entry matching the mask that is
// neither a file nor a folder is named once through `say` (again only
// after it has gone and come back) and passed over.
QStringList waiting_files(platform::Env& system, const QString& folder, const QString& mask,
                          const basics::message_sink& say);

}  // namespace conversion
