#pragma once

// Where the conversions keep the files they are given: the dated archive
// folder, a free name beside a taken one, a file moved out of the scan's
// reach, and the settle time before a file is taken at all. Shared by every
// way of claiming a file.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

#include "conversion/context.h"
#include "platform/env.h"

namespace conversion {

// `folder` + `name`, or with "_2", "_3"... before the extension when taken;
// a name too long for the system is cut short before its extension.
// `folder` ends with the delimiter.
QString free_name(const QString& folder, const QString& name);

// Puts a file into `folder` as `name`, or as the first free variant of it
// (free_name), through `place`, which must never replace anything and fail
// with kind `exists` when its target is taken. A name that another program
// takes between the look and the placing is passed over for the next free
// one, so two scanners sharing a folder never overwrite each other's files.
// `placed` receives the path the file got.
platform::Status place_under_free_name(
    const QString& folder, const QString& name,
    const std::function<platform::Status(const QString& target)>& place, QString* placed);

// Copies the file at `path` into `folder` as `name` or a free variant of it,
// as place_under_free_name says, published complete. `before_each`, when
// given, hears each name just before it is tried.
platform::Status copy_under_free_name(
    platform::Env& system, const QString& path, const QString& folder, const QString& name,
    QString* placed, const std::function<void(const QString& target)>& before_each = {});

// Renames the file at `path` into `folder` as `name` or a free variant of
// it, as place_under_free_name says.
platform::Status rename_to_free_name(platform::Env& system, const QString& path,
                                     const QString& folder, const QString& name, QString* placed);

// Whether the file at `path` may still be written to: its last
// modification is less than `settle_seconds` old, and its size and time have
// not stood still that long since this scanner first saw them so. The second
// rule holds back a file stamped ahead of the clock (a writer whose clock
// runs ahead, appending in chunks) until its writer has stopped. Never for
// a settle time of 0.
bool still_settling(platform::Env& system, const QString& path, double settle_seconds);

// The archive folder for `leaf`: archive root + product + year/month/day +
// `leaf`, each level created, ending with the delimiter; empty when
// archiving is switched off. The date is `measured`'s when the context
// archives by date of measurement, today's otherwise. A level that cannot be
// created shows on the plain status line; a copy into it then fails.
QString dated_archive_folder(const context& ctx, const QString& leaf, const QDateTime& measured);

// A copy of the file at `path` already in `folder` (ending with the
// delimiter) as `name` or a variant of it ("_2", "_3"...), byte for byte
// the same; empty when there is none. A run that stopped between archiving
// a file and deleting it leaves one.
QString identical_copy(platform::Env& system, const QString& path, const QString& folder,
                       const QString& name);

enum class archived { copied, switched_off, failed };

// One archive copy: what goes where, and who hears of it on the way.
struct archive_request {
  // The folder below the date: the measurement's name, or "insitu".
  QString leaf;
  // The copy's name, made portable first: the archive may lie on a share
  // that takes only names that are text.
  QString name;
  // Dates the folders when archiving by date of measurement.
  QDateTime measured;
  // An identical copy already there is taken as this file's, so that a run
  // stopped between archiving and deleting never archives a file twice.
  bool reuse_identical = false;
  // Hears each name just before a copy under it is tried.
  std::function<void(const QString& target)> before_each;
  // Told when the name is taken and the copy got another: the name wanted
  // (folder included) and the copy's path.
  std::function<void(const QString& wanted, const QString& copy)> when_taken;
};

// Copies the file at `path` into the dated archive folder (as
// dated_archive_folder says) as the request's name or, when that is taken
// (the same plate measured twice a day), as a free variant of it ("_2",
// "_3"...): no raw measurement ever replaces another. `copy`, when given,
// receives the copy's path.
archived archive_copy(const context& ctx, const QString& path, const archive_request& request,
                      QString* copy = nullptr);

// `text` ending with a full stop, as a sentence before the next one; a
// system's error text has none.
QString sentence(const QString& text);

// Moves the file at `path` into its own folder as `name` + ".failed" (or a
// free variant of that), out of the reach of every scan mask. Returns the
// new path, or empty when the file could not be moved.
QString move_aside(platform::Env& system, const QString& path, const QString& name);

// Where a file that could not be moved aside is left, as the operator is told.
enum class left_under { temporary_name, own_name };

// Moves the file at `path` (named `name` when it arrived) aside as
// move_aside does and returns what the operator is told: why (`reason`),
// and where the file now is. `kept`, when given, receives the new path
// (empty when the file could not be moved).
QString set_aside_file(platform::Env& system, const QString& path, const QString& name,
                       const QString& reason, left_under left, QString* kept = nullptr);

}  // namespace conversion
