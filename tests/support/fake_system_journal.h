#pragma once

// The receiving end of the system journal's native protocol (Linux), for a
// program started in a mount namespace where this socket is bound over
// /run/systemd/journal/socket: each datagram is one message of
// "NAME=value" lines.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace test_support {

using journal_message = QMap<QByteArray, QByteArray>;

class fake_system_journal {
 public:
  // Binds a datagram socket named "socket" in `folder`.
  explicit fake_system_journal(const QString& folder);
  ~fake_system_journal();
  fake_system_journal(const fake_system_journal&) = delete;
  fake_system_journal& operator=(const fake_system_journal&) = delete;

  bool ok() const { return socket_ >= 0; }
  // The messages that arrived since the last call, without waiting.
  QList<journal_message> take_messages();

 private:
  int socket_ = -1;
};

}  // namespace test_support
