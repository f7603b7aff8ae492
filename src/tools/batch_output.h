#pragma once

// The outputs of a batch conversion: added as the inputs are converted in
// order, published together and reported ("wrote ...") only once they are on
// disk for good, with the checks an engineer re-converting an archive needs
// (two inputs writing one output, outputs that must not be replaced).

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace tools {

// Exit codes of the converting commands; the worst that happened wins.
constexpr int kDone = 0;
constexpr int kInputRefused = 1;  // an input was refused or could not be read
constexpr int kNotWritten = 3;    // an output could not be written
constexpr int kSameOutput = 4;    // two inputs wrote the same output

struct batch_options {
  // Each input starts from a new record: outputs do not depend on the order.
  bool fresh_record = false;
  // An output that exists already (on disk or from an earlier input) is not
  // replaced.
  bool no_clobber = false;
};

class batch_output {
 public:
  explicit batch_output(const batch_options& options) : options_(options) {}

  // Adds `bytes` as the output `target` of the input `source`; `note` follows
  // the target's name in the report.
  void add(const QString& source, const QString& target, const QByteArray& bytes,
           const QString& note = QString());

  // Publishes what was added since the last commit, then reports each
  // output written and each that could not be. A report standard output
  // does not take counts as an output not written.
  void commit();

  // Notes that an input gave no output for a reason already reported.
  void input_refused() { note_outcome(kInputRefused); }

  int exit_code() const { return exit_code_; }

 private:
  struct pending {
    QString source;
    QString target;
    QByteArray bytes;
    QString note;
  };

  // Whether `target` may be written for `source`; reports why not, or that
  // it replaces the output of an earlier input.
  bool may_write(const QString& source, const QString& target);
  void note_outcome(int code);

  batch_options options_;
  QList<pending> pending_;
  // The input that wrote each output of this run, to name it when another
  // input writes the same output.
  QHash<QString, QString> written_by_;
  int exit_code_ = kDone;
  // Standard output has failed to take a report.
  bool report_lost_ = false;
};

}  // namespace tools
