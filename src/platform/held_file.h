#pragma once

// A file kept open for writing, as a writer that has not finished keeps it:
// what the scanner's test button holds to see whether a claim notices.

#include <QString>

#include <memory>

namespace platform {

class held_file {
 public:
  // Creates `path`, or empties it when it exists, and holds it open.
  explicit held_file(const QString& path);
  ~held_file();
  held_file(const held_file&) = delete;
  held_file& operator=(const held_file&) = delete;

  // False when the file could not be created or opened.
  bool is_open() const;
  // Lets the file go before the holder ends.
  void close();

 private:
  struct descriptor;
  std::unique_ptr<descriptor> fd_;
};

}  // namespace platform
