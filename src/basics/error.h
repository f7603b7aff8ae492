#pragma once

// The error the scanner's steps raise and the window's general error report
// shows: a text for the operator.

#include <QString>

#include <stdexcept>

namespace basics {

class error : public std::runtime_error {
 public:
  explicit error(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

}  // namespace basics
