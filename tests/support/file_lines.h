#pragma once

// Lines and file names the way the tests compare them.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace test_support {

// The lines of a message board's text; none for an empty board.
QStringList lines_of(const QString& board_text);

// The names of the files in `folder`, sorted by name.
QStringList files_in(const QString& folder);

// The lines of a text file written with CR LF after every line; fails the
// test when a line end is anything else.
QStringList crlf_lines(const QByteArray& bytes);

}  // namespace test_support
