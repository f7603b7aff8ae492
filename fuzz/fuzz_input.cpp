#include "fuzz_input.h"

#include "basics/text_file.h"
#include "platform/operator_prompts.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {
namespace {

constexpr const char* kNoBox = "a reader raises no box";

class forbidden_prompts : public platform::operator_prompts {
 public:
  void show_message(const QString&) override { require(false, kNoBox); }
  bool ask_yes_no(const QString&, const QString&) override {
    require(false, kNoBox);
    return false;
  }
  QString input_box(const QString&, const QString&, const QString& preset) override {
    require(false, kNoBox);
    return preset;
  }
  std::optional<QString> ask_password() override {
    require(false, kNoBox);
    return std::nullopt;
  }
};

}  // namespace

QByteArray bytes(const uint8_t* data, size_t size) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

QStringList lines(const uint8_t* data, size_t size) {
  return basics::lines_from_bytes(bytes(data, size));
}

QString input_file(const uint8_t* data, size_t size) {
  // One folder and one file name for the whole run: the readers see a new
  // file's content at every call without a new file each time.
  static const std::unique_ptr<QTemporaryDir> folder = std::make_unique<QTemporaryDir>();
  require(folder->isValid(), "a temporary folder for the input file can be made");
  static const QString path = folder->filePath(QStringLiteral("input"));
  // Plainly written: the platform's write_file flushes to disk, which would
  // cost more than the reading under test.
  QFile file(path);
  const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       file.write(bytes(data, size)) == qint64(size);
  require(written, "the input file can be written");
  return path;
}

void require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "fuzz finding: broken promise: %s\n", promise);
  std::abort();
}

void forbid_prompts() {
  static forbidden_prompts prompts;
  static platform::scoped_prompts installed(&prompts);
}

}  // namespace fuzz
