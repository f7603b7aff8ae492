#pragma once

// The one interface between the scanner and the operating system.
//
// Everything that differs between Linux and Windows goes through `Env`: one
// implementation file per system (env_linux.cpp, env_windows.cpp), chosen by
// the build. Code above this layer never calls the system directly, so tests
// can swap in a `FaultEnv` (tests/support/fault_env.h) to refuse a rename,
// fail a write after N bytes or move the clock, instead of relying on
// permissions (tests run as root) or on sleeping.
//
// Paths are QStrings with the native delimiter (`kDelimiter`). No call throws;
// failures come back as a `Status` or an empty optional. A name the system
// holds that is not valid text (on Linux: bytes that are not UTF-8, as a
// legacy client writes them) still comes back as a QString that names the
// same file again; `portable_name` gives it a form that is valid text.
//
// Thread-safe: env() and every call of an Env may run on several threads at
// once (the Linux Env keeps nothing but its options), and so may the name
// helpers and the publishing functions, with one exception: in a program that
// called remove_stale_publish_files (the scanners, which publish from their
// main thread only), the first publish into a folder removes the temporaries a
// killed run left there, and would take another thread's with them. Installing
// an Env (ScopedEnv) and set_program_folder belong before any other thread
// starts.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace platform {

// The native path delimiter: "/" on Linux, "\" on Windows.
extern const QChar kDelimiter;

// The outcome of a call that can fail: ok, or a message for the operator that
// names what failed and why (system error text included), with the kind of
// failure, so a caller can tell "try again later" (busy) from "give up".
// Ignoring one is a mistake the compiler reports; a caller that means to
// ignore a failure says so with a cast to void and a reason.
class [[nodiscard]] Status {
 public:
  enum class Kind {
    ok,
    busy,       // held open by another process: the file is still being written
    exists,     // the target is already there
    not_found,  // the path, or a folder on the way to it, is missing
    denied,     // no permission, or a read-only file system
    io,         // the data did not reach the disk: full, failed device, short write
    other,      // anything else ("Not a file", an invalid argument)
  };

  Status() = default;
  static Status Ok() { return Status(); }
  // A failure of kind `kind`; `Kind::ok` is taken as `Kind::other`, since a
  // failure always carries a failing kind.
  static Status Error(Kind kind, QString message) {
    return Status(kind == Kind::ok ? Kind::other : kind, std::move(message));
  }
  // A failure with no better kind.
  static Status Error(QString message) { return Error(Kind::other, std::move(message)); }

  bool ok() const { return kind_ == Kind::ok; }
  Kind kind() const { return kind_; }
  const QString& message() const { return message_; }

  bool is_busy() const { return kind_ == Kind::busy; }
  bool already_exists() const { return kind_ == Kind::exists; }
  bool is_not_found() const { return kind_ == Kind::not_found; }
  bool is_denied() const { return kind_ == Kind::denied; }
  bool is_io_error() const { return kind_ == Kind::io; }

 private:
  Status(Kind kind, QString message) : kind_(kind), message_(std::move(message)) {}
  Kind kind_ = Kind::ok;
  QString message_;
};

// One directory entry as a listing reports it.
struct DirEntry {
  QString name;  // file or folder name, without the folder
  bool is_folder = false;
  // A file whose contents can be read and claimed (Linux: a regular file, or
  // a link to one). Neither this nor is_folder: a FIFO, socket, device or
  // dangling link, which no scan can ever claim.
  bool is_file = false;
  // Bytes of a file (of the file a link leads to); 0 for anything else.
  qint64 size = 0;
  bool read_only = false;  // nobody may write it (Linux: no write bit at all)
  bool hidden = false;     // Linux: the name starts with "."
  bool system = false;     // never set on Linux
};

// What a folder is used for, as folder_access checks it.
enum class FolderUse {
  read,   // listing its entries
  write,  // creating, renaming and removing entries in it
};

class Env {
 public:
  virtual ~Env() = default;

  // ---- Listing and attributes -------------------------------------------

  // The entries of `folder` whose names match `mask`, files and folders alike,
  // hidden ones included, never "." or "..". The mask holds "*" and "?"
  // wildcards and matches case-insensitively; "*.*" matches every name.
  // Sorted as NTFS lists them: names compared case-insensitively.
  // Empty optional when the folder does not exist or cannot be read, and for
  // an empty `folder` (never taken as the working folder).
  virtual std::optional<QList<DirEntry>> list_folder(const QString& folder,
                                                     const QString& mask) = 0;

  // The entry at `path` (no wildcards), or empty when nothing is there.
  virtual std::optional<DirEntry> entry(const QString& path) = 0;

  // Creates exactly this one folder; fails when the parent is missing or
  // the folder already exists.
  virtual Status create_folder(const QString& path) = 0;

  // Whether the running user may use `folder` for `use`, by the system's
  // account of the user's own rights (Linux: access(2)); a failure says why.
  // Creates nothing, so it may run every second. Windows keeps its write
  // rights in access lists that only a test create reveals: there the write
  // check is left to check_folder_writable.
  virtual Status folder_access(const QString& folder, FolderUse use) = 0;

  // ---- Moving, copying, deleting ----------------------------------------

  // Claims a file, as Windows' MoveFile does: renames `from` to `to` within a
  // volume. Fails, touching nothing, when `to` exists (file or folder) or
  // while any process (this one included) holds `from` open for reading or
  // writing, and for a folder. A failure here is how a scan step learns that
  // a writer has not finished.
  virtual Status rename_file(const QString& from, const QString& to) = 0;

  // Publishes a finished file: renames `from` over `to` atomically, replacing
  // `to` if it exists, then makes the rename durable (folder synced). A reader
  // of `to` sees either the old file or the new one, never a mix. A replaced
  // file's permissions carry over, so a private file stays private.
  virtual Status replace_file(const QString& from, const QString& to) = 0;

  // ---- Publishing many files at once --------------------------------------
  // `replace_file` pays two flushes for every file. A batch instead writes
  // all its files with `write_file_unsynced`, makes their data durable in one
  // `sync_files`, renames each with `replace_file_unsynced` and ends with one
  // `sync_folder` per folder (publish_files below). The order matters: no
  // rename before the data is on the disk, or a power cut could leave a
  // target that names a partly written file.

  // Renames `from` over `to` atomically, as `replace_file` does, but does not
  // make the rename durable: until `sync_folder` on the folder of `to`
  // returns, a power cut may bring the old `to` back (never a mix).
  virtual Status replace_file_unsynced(const QString& from, const QString& to) = 0;

  // Makes the renames, creations and deletions in `folder` durable (Linux:
  // fsync of the folder).
  virtual Status sync_folder(const QString& folder) = 0;

  // Deletes one file (never a folder).
  virtual Status delete_file(const QString& path) = 0;

  // The path of the file that `path` finally names when it is a symbolic
  // link, every link on the way followed (a relative link counts from its
  // own folder); `path` itself when it is no link or nothing is there. A
  // link whose target is missing gives that target: writing there creates
  // it. Fails for a loop of links or a link that cannot be read. Only the
  // last part of `path` is followed; folders on the way stay as written.
  virtual Status final_target(const QString& path, QString* target) = 0;

  // ---- Contents ---------------------------------------------------------

  // Reads the whole file, sharing it with other readers and writers.
  virtual Status read_file(const QString& path, QByteArray* contents) = 0;

  // Creates or truncates `path`, writes `data`, flushes it to disk (fsync)
  // and closes it. Any short write or failed flush is an error; the file may
  // then hold part of the data, so publishers write under a temporary name.
  virtual Status write_file(const QString& path, const QByteArray& data) = 0;

  // `write_file` without the flush: the data may still be only in memory
  // when this returns, so a power cut can leave the file short or empty
  // until `sync_files` has covered it. A short write is an error as above.
  virtual Status write_file_unsynced(const QString& path, const QByteArray& data) = 0;

  // Makes the data of every file in `paths` durable, in as few flushes as the
  // system allows, so the cost does not grow by one flush per file. Linux:
  // one syncfs() per local file system the files lie on (the whole file
  // system is flushed, other programs' writes included); fdatasync() of each
  // file on network and FUSE file systems, whose syncfs may stop short of the
  // server's disk, and on kernels before 5.8, whose syncfs reports no write
  // errors. Fails, naming a file, when any of them cannot be opened or a
  // flush fails; the data of every file is then in doubt.
  virtual Status sync_files(const QList<QString>& paths) = 0;

  // Creates a new empty file with a unique name in `folder`, starting with
  // `prefix` (like mkstemp on Linux, GetTempFileName on Windows), and returns
  // its full path in `path`. The file gets the permissions of any new file,
  // not mkstemp's private ones, since published files are renamed from it.
  virtual Status create_unique_file(const QString& folder, const QString& prefix,
                                    QString* path) = 0;

  // ---- Times ------------------------------------------------------------

  // Last modification in local time; invalid when nothing is at `path`.
  virtual QDateTime last_modified(const QString& path) = 0;
  virtual Status set_last_modified(const QString& path, const QDateTime& time) = 0;

  // The current local date and time.
  virtual QDateTime now() = 0;

  // ---- Places -----------------------------------------------------------

  // The system's temporary folder, without a trailing delimiter.
  virtual QString temp_folder() = 0;

  // The user's roaming application-data folder, without a trailing delimiter
  // (Linux: $XDG_DATA_HOME or ~/.local/share); empty when there is none.
  // Not created here.
  virtual QString roaming_app_data_folder() = 0;

  // Full path of the running program's file. Its folder is the program
  // folder, where the settings files lie.
  virtual QString program_file_path() = 0;
};

// The Env the program runs on: the system's own unless a test installed
// another with `ScopedEnv`.
Env& env();

// The real system Env of this build.
Env& system_env();

// Makes `folder` the program folder for the rest of the run (the command
// line's choice): the system Env's program_file_path() then names a file of
// the program's own name in it, so the settings files are read and written
// there and not beside the executable. A relative folder counts from the
// working folder; an empty one means the executable's folder again.
void set_program_folder(const QString& folder);

// `executable` as it lies in the program folder: in the folder given to
// set_program_folder() when there is one, else unchanged. The system Envs
// answer program_file_path() through it.
QString in_program_folder(const QString& executable);

// Installs `replacement` as `env()` for its lifetime (tests only).
class ScopedEnv {
 public:
  explicit ScopedEnv(Env* replacement);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  Env* previous_;
};

// ---- Compositions of the calls above, the same on every system ----------

// The bytes of `path` as the system names it, and back: lossless for every
// path a listing gives, so a path can be kept in a file and found again.
QByteArray path_bytes(const QString& path);
QString path_from_bytes(const QByteArray& bytes);

// `name` as valid text, for a copy written elsewhere: a name listed with
// bytes that are not valid in the system's encoding gets those bytes as
// Latin-1 characters (on Linux "a\xe4.csv" becomes "aä.csv"); any other
// name is returned unchanged.
QString portable_name(const QString& name);

// `stem` + `ending`, with `stem` cut short (never `ending`) so that the name
// fits the system's limit on the length of one file name.
QString name_that_fits(const QString& stem, const QString& ending);

// Appends the delimiter unless `folder` already ends with it.
QString with_delimiter(const QString& folder);

// The folder part of `path`, with its trailing delimiter ("" when none).
QString folder_of(const QString& path);

// The name part of `path` (after the last delimiter).
QString name_of(const QString& path);

// Writes `data` to a unique temporary file in the folder of `target`, named
// ".publish_" + a tag of the program file + "_" + six random characters
// (short, so that any target name that fits leaves room for it), then
// `replace_file`s it onto `target`. On any failure `target` is left as it was
// and the temporary file is removed; should that removal fail too, the
// returned message (of the first failure's kind) names the file left behind.
Status publish_file(const QString& target, const QByteArray& data);

// `publish_file` onto the file that `path` finally names (final_target): a
// file the operator keeps behind a symbolic link stays a link, and the file
// it names gets the data.
Status publish_file_through_links(const QString& path, const QByteArray& data);

// One file for `publish_files`: where it goes and what it holds.
struct pending_file {
  QString target;
  QByteArray data;
};

// Publishes many files as `publish_file` does each, with the same promise
// for every file reported ok (after a power cut its target holds the whole
// new file, never part of it), but with one data flush for the whole batch
// and one flush per target folder instead of two flushes per file.
// Returns one Status per file, in the order given:
// - a temporary that cannot be created or written fails its own file only
//   (temporary removed); the others go on;
// - a failed data flush fails every file still on its way with that
//   message; nothing is renamed and every temporary is removed;
// - a refused rename fails that file (temporary removed, target as it was);
// - a failed flush of a folder fails the files renamed into it: they are in
//   place but may not survive a power cut, which their message says, so a
//   caller keeps its source as it would after any failure.
// Temporaries carry publish_file's names, so the sweep of a killed run's
// files covers them; one whose removal fails is named in the message, as
// publish_file does. Two files with the same target (compared as written):
// the later wins, and the earlier fails at once, without writing anything,
// so that no caller takes the earlier's data for published.
// Every file's bytes are in memory together: a caller with many large files
// passes them in chunks (256 files of 50 KB are about 13 MB), each chunk
// costing its two rounds of flushes.
QList<Status> publish_files(const QList<pending_file>& files);

// From now on, the first publish_file (or publish_files) into a folder
// removes the temporary files a killed run of this same program left there. Only for a program
// that is the one instance on its program folder (hold_instance_lock): two
// runs of one program would otherwise remove each other's files.
void remove_stale_publish_files();

// Whether the running user can put files into `folder`: folder_access for
// writing, then a test file created there (hidden, never matching a scan's
// mask) and removed again, the folder's modification time put back. For a
// check made once, not for every second.
Status check_folder_writable(const QString& folder);

// Copies `from` onto `to`, replacing `to`, published as by `publish_file`.
Status copy_file(const QString& from, const QString& to);

// Publishes as `publish_file` does, but never replaces anything: the file is
// put in place with the claiming rename (`rename_file`), so it fails with
// kind `exists`, `target` untouched and the temporary removed, when a file
// or folder is at `target` by then, even one that another process created
// a moment before. For outputs that must never overwrite a measurement.
Status publish_new_file(const QString& target, const QByteArray& data);

// Copies `from` to `to` as `publish_new_file` publishes: never replacing.
Status copy_new_file(const QString& from, const QString& to);

}  // namespace platform
