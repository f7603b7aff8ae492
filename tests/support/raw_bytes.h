#pragma once

// Byte strings with embedded zero bytes, written as literals:
// raw_bytes("a\0b") is three bytes, where QByteArray("a\0b") stops at the zero.

#include <QByteArray>

#include <cstddef>

namespace test_support {

template <std::size_t N>
QByteArray raw_bytes(const char (&literal)[N]) {
  return QByteArray(literal, N - 1);
}

}  // namespace test_support
