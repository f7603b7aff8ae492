#pragma once

#include "basics/error.h"

#include <gtest/gtest.h>

#include <string>

// The text of the basics::error that `action` throws; a test failure when it throws none.
template <typename Action>
std::string thrown_text(Action action) {
  try {
    action();
  } catch (const basics::error& error) {
    return error.text().toStdString();
  }
  ADD_FAILURE() << "no basics::error was thrown";
  return {};
}
