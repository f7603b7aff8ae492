#include "support/fake_system_journal.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace test_support {
namespace {

// "NAME=value" lines; a value holding a line break comes as NAME, a line
// break, its length in 64 bits little-endian and the value.
journal_message parse_message(const QByteArray& datagram) {
  journal_message message;
  qsizetype at = 0;
  while (at < datagram.size()) {
    const qsizetype end = datagram.indexOf('\n', at);
    const QByteArray line = datagram.mid(at, end < 0 ? -1 : end - at);
    const qsizetype equals = line.indexOf('=');
    if (equals >= 0) {
      message.insert(line.left(equals), line.mid(equals + 1));
      at = end < 0 ? datagram.size() : end + 1;
      continue;
    }
    quint64 length = 0;
    std::memcpy(&length, datagram.constData() + end + 1, sizeof length);
    message.insert(line, datagram.mid(end + 1 + sizeof length, qsizetype(length)));
    at = end + 1 + qsizetype(sizeof length) + qsizetype(length) + 1;
  }
  return message;
}

}  // namespace

fake_system_journal::fake_system_journal(const QString& folder) {
  const QByteArray path = (folder + QStringLiteral("/socket")).toLocal8Bit();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (size_t(path.size()) >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
  socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return;
  if (::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket_);
    socket_ = -1;
  }
}

fake_system_journal::~fake_system_journal() {
  if (socket_ >= 0) ::close(socket_);
}

QList<journal_message> fake_system_journal::take_messages() {
  QList<journal_message> messages;
  QByteArray buffer(1 << 20, Qt::Uninitialized);
  for (;;) {
    const ssize_t got = ::recv(socket_, buffer.data(), size_t(buffer.size()), 0);
    if (got <= 0) break;
    messages << parse_message(buffer.left(got));
  }
  return messages;
}

}  // namespace test_support
