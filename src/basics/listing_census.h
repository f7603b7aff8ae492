#pragma once

// What waits in the input folders, for the operator's view: the files the
// scan's own listings found, kept per folder and mask, so showing them costs
// no listing of its own while the scan runs, and the age of the oldest costs
// one look at each file's time when it first shows up.
//
// Thread-safe: the noted listings sit behind one lock, so every function may
// run on several threads at once.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace basics {

// Notes that a listing of `folder` with `mask` found `files` just now.
void note_listing(const QString& folder, const QString& mask, const QStringList& files);

struct waiting_summary {
  int count = 0;
  // The last modification of the oldest waiting file; invalid when none.
  QDateTime oldest;
};

// The files matching `mask` waiting in `folder`, from a listing noted less
// than `fresh_ms` ago, else from a listing made here. A file's time is read
// once, when it is first seen; a missing folder holds none.
waiting_summary waiting_in(const QString& folder, const QString& mask, qint64 fresh_ms);

// Forgets every noted listing (tests).
void forget_listings();

}  // namespace basics
