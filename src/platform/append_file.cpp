#include "platform/append_file.h"

#include <cstring>

#include "platform/file_pieces.h"

namespace platform {
namespace {

// Collects one line from the pieces read; a line past `longest` bytes is
// dropped as it comes, so it never grows beyond that.
class line_collector {
 public:
  explicit line_collector(qsizetype longest) : longest_(longest) {}
  void add(const char* bytes, qsizetype count) {
    if (too_long_) return;
    if (line_.size() + count > longest_) {
      too_long_ = true;
      line_ = QByteArray();
      return;
    }
    line_.append(bytes, count);
  }
  bool holds_something() const { return !line_.isEmpty() || too_long_; }
  void hand_to(const std::function<void(QByteArrayView, bool)>& take) {
    take(line_, too_long_);
    line_.resize(0);
    too_long_ = false;
  }

 private:
  qsizetype longest_;
  QByteArray line_;
  bool too_long_ = false;
};

}  // namespace

Status read_log_lines(const QString& path, qsizetype longest,
                      const std::function<void(QByteArrayView line, bool too_long)>& take) {
  line_collector line(longest);
  const Status read = read_in_pieces(path, [&](const char* piece, qsizetype size) {
    const char* next = piece;
    const char* const end = piece + size;
    while (next < end) {
      const auto* line_break =
          static_cast<const char*>(std::memchr(next, '\n', size_t(end - next)));
      line.add(next, (line_break ? line_break : end) - next);
      if (!line_break) break;
      line.hand_to(take);
      next = line_break + 1;
    }
  });
  if (!read.ok()) return read;
  if (line.holds_something()) line.hand_to(take);
  return Status::Ok();
}

}  // namespace platform
