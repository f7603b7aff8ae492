#include "conversion/memory_shortage.h"

#include <new>
#include <stdexcept>

namespace conversion {
namespace {

QString shortage(const std::exception& e) {
  return QStringLiteral("The memory ran out while the file was handled (") +
         QString::fromLocal8Bit(e.what()) + QStringLiteral(").");
}

}  // namespace

std::optional<QString> ran_out_of_memory(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::bad_alloc& e) {
    return shortage(e);
  } catch (const std::length_error& e) {
    return shortage(e);
  }
  return std::nullopt;
}

}  // namespace conversion
