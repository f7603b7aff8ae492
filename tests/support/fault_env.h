#pragma once

// Envs for tests: `EnvWrapper` forwards every call to another Env, and
// `FaultEnv` makes chosen calls fail the way the system would (a refused
// rename, a full disk) and moves the clock and the program's places into a
// test's temporary folder.
//
//   platform::FaultEnv fault;
//   platform::ScopedEnv use(&fault);
//   fault.set_program_file_path(dir + "/DORNIK_spectrum_scanner");
//   fault.fail_writes_after(100, ".scn");  // writes of scan files stop at 100 bytes

#include <QDateTime>
#include <QString>

#include <optional>

#include "platform/env.h"

namespace platform {

// Forwards every call to `target`; derive and override what should differ.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env* target) : target_(target) {}
  Env* target() const { return target_; }

  std::optional<QList<DirEntry>> list_folder(const QString& folder, const QString& mask) override {
    return target_->list_folder(folder, mask);
  }
  std::optional<DirEntry> entry(const QString& path) override { return target_->entry(path); }
  Status create_folder(const QString& path) override { return target_->create_folder(path); }
  Status folder_access(const QString& folder, FolderUse use) override {
    return target_->folder_access(folder, use);
  }
  Status rename_file(const QString& from, const QString& to) override {
    return target_->rename_file(from, to);
  }
  Status replace_file(const QString& from, const QString& to) override {
    return target_->replace_file(from, to);
  }
  Status replace_file_unsynced(const QString& from, const QString& to) override {
    return target_->replace_file_unsynced(from, to);
  }
  Status sync_folder(const QString& folder) override { return target_->sync_folder(folder); }
  Status delete_file(const QString& path) override { return target_->delete_file(path); }
  Status final_target(const QString& path, QString* target) override {
    return target_->final_target(path, target);
  }
  Status read_file(const QString& path, QByteArray* contents) override {
    return target_->read_file(path, contents);
  }
  Status write_file(const QString& path, const QByteArray& data) override {
    return target_->write_file(path, data);
  }
  Status write_file_unsynced(const QString& path, const QByteArray& data) override {
    return target_->write_file_unsynced(path, data);
  }
  Status sync_files(const QList<QString>& paths) override { return target_->sync_files(paths); }
  Status create_unique_file(const QString& folder, const QString& prefix, QString* path) override {
    return target_->create_unique_file(folder, prefix, path);
  }
  QDateTime last_modified(const QString& path) override { return target_->last_modified(path); }
  Status set_last_modified(const QString& path, const QDateTime& time) override {
    return target_->set_last_modified(path, time);
  }
  QDateTime now() override { return target_->now(); }
  QString temp_folder() override { return target_->temp_folder(); }
  QString roaming_app_data_folder() override { return target_->roaming_app_data_folder(); }
  QString program_file_path() override { return target_->program_file_path(); }

 private:
  Env* target_;
};

// The system Env with faults switched on by a test. Each fault applies to
// the calls whose path (either path, for two) contains `path_part`; an empty
// part means every call. A failing call touches nothing, except a limited
// write, which writes its first bytes as a filling disk would. Each fault
// fails with the text and kind the real failure has: a refused rename is
// busy ("The file is still open"), a refused create, replace or delete is
// denied, a limited write or a failed flush is an I/O failure. The unsynced
// calls meet the same faults as their flushing kin: a limited write limits
// write_file_unsynced too, a refused replace refuses replace_file_unsynced.
class FaultEnv : public EnvWrapper {
 public:
  explicit FaultEnv(Env* target = &system_env()) : EnvWrapper(target) {}

  // ---- Faults -----------------------------------------------------------
  void refuse_rename(const QString& path_part = QString()) { rename_ = path_part; }
  // A rename refused for want of rights, not because the file is open.
  void deny_rename(const QString& path_part = QString()) { deny_rename_ = path_part; }
  // The folder's rights refuse writing: folder_access and creating a file
  // there fail as without the write permission.
  void deny_write_in(const QString& path_part = QString()) { deny_write_ = path_part; }
  void refuse_replace(const QString& path_part = QString()) { replace_ = path_part; }
  void refuse_delete(const QString& path_part = QString()) { delete_ = path_part; }
  void refuse_create_folder(const QString& path_part = QString()) { create_folder_ = path_part; }
  // list_folder answers as for a folder that is there but cannot be read,
  // and folder_access refuses reading it.
  void refuse_list(const QString& path_part = QString()) { list_ = path_part; }
  // write_file writes only the first `bytes` bytes, then fails with
  // "No space left on device" (unless the file cannot be opened at all).
  void fail_writes_after(qsizetype bytes, const QString& path_part = QString());
  // sync_files fails with "Input/output error" when one of its paths holds
  // `path_part`, naming that path, as a failing disk would.
  void fail_sync_files(const QString& path_part = QString()) { sync_files_ = path_part; }
  // sync_folder fails the same way, after nothing was done.
  void fail_sync_folder(const QString& path_part = QString()) { sync_folder_ = path_part; }
  // Switches every fault off.
  void clear_faults();

  // ---- Clock and places -------------------------------------------------
  // A fixed now(); an invalid time gives the target's clock back.
  void set_now(const QDateTime& time) { now_ = time; }
  // Moves the fixed now() on (starting from the target's clock if none).
  void advance_now(qint64 seconds) { now_ = now().addSecs(seconds); }
  void set_program_file_path(const QString& path) { program_file_path_ = path; }
  void set_roaming_app_data_folder(const QString& folder) { roaming_app_data_folder_ = folder; }
  void set_temp_folder(const QString& folder) { temp_folder_ = folder; }

  // ---- Overrides --------------------------------------------------------
  std::optional<QList<DirEntry>> list_folder(const QString& folder, const QString& mask) override;
  Status create_folder(const QString& path) override;
  Status folder_access(const QString& folder, FolderUse use) override;
  Status create_unique_file(const QString& folder, const QString& prefix, QString* path) override;
  Status rename_file(const QString& from, const QString& to) override;
  Status replace_file(const QString& from, const QString& to) override;
  Status replace_file_unsynced(const QString& from, const QString& to) override;
  Status sync_folder(const QString& folder) override;
  Status delete_file(const QString& path) override;
  Status write_file(const QString& path, const QByteArray& data) override;
  Status write_file_unsynced(const QString& path, const QByteArray& data) override;
  Status sync_files(const QList<QString>& paths) override;
  QDateTime now() override;
  QString temp_folder() override;
  QString roaming_app_data_folder() override;
  QString program_file_path() override;

 private:
  struct write_limit {
    qsizetype bytes;
    QString path_part;
  };

  Status limited_write(const QString& path, const QByteArray& data, bool flush);

  std::optional<QString> rename_, deny_rename_, deny_write_, replace_, delete_, create_folder_,
      list_;
  std::optional<QString> sync_files_, sync_folder_;
  std::optional<write_limit> write_limit_;
  QDateTime now_;
  std::optional<QString> program_file_path_, roaming_app_data_folder_, temp_folder_;
};

}  // namespace platform
