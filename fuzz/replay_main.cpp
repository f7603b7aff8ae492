// Replays inputs through a fuzz target without libFuzzer: the regression
// run of the sanitizer build. Each argument is an input file or a folder of
// them (its README and dot files left out); every input runs once, in name
// order. A finding aborts the program, so ctest fails.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QStringList inputs_of(const QString& argument) {
  const QFileInfo info(argument);
  if (!info.isDir()) return {argument};
  QStringList files;
  const QDir folder(argument);
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
    if (!name.startsWith(u'.') && !name.startsWith(QStringLiteral("README")))
      files << folder.filePath(name);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s INPUT_OR_FOLDER...\n", argv[0]);
    return 2;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    if (!QFileInfo::exists(argument)) {
      std::fprintf(stderr, "%s does not exist\n", argv[i]);
      return 2;
    }
    for (const QString& path : inputs_of(argument)) {
      QFile file(path);
      if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 2;
      }
      const QByteArray bytes = file.readAll();
      std::fprintf(stderr, "replaying %s\n", qPrintable(path));
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                             size_t(bytes.size()));
      ++replayed;
    }
  }
  std::printf("%d inputs replayed without a finding\n", replayed);
  return 0;
}
