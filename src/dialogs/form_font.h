#pragma once

// The faces the forms are laid out for: Tahoma, and Times New Roman for
// titles. Where the system lacks Tahoma (Linux), the metric-compatible face
// the platform names is loaded; where even that is missing, Qt falls back
// to faces of about the same width, so captions keep their room.

#include <QFont>

QFont tahoma_font(int pixel_size);
QFont times_font(int pixel_size);

// Default font of every form of the program.
QFont form_font();
