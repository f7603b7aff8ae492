#pragma once

// The inline file as the inline analysis program reads it: one line
// "wavelength,value" per point. Read back here for a picture of the curve,
// from a file that may have been damaged or cut short since it was written.

#include <QList>
#include <QPointF>
#include <QStringList>

namespace basics {

// The points of the lines that are a pair of numbers; a line of more or
// fewer fields, or with a field that is no number, is passed over.
QList<QPointF> inline_curve(const QStringList& lines);

}  // namespace basics
