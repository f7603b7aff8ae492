#pragma once

// What every fuzz target shares: the input as the program would see it
// (bytes, lines, a file on disk), operator prompts that must stay unused, and
// the check that turns a broken promise of a reader into a finding.
//
// A target's entry point is LLVMFuzzerTestOneInput. It runs under libFuzzer
// (scripts/fuzz) and under replay_main.cpp, which feeds it the checked-in
// corpus and crash inputs in the sanitizer build.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input without a copy; valid while the call lasts.
QByteArray bytes(const uint8_t* data, size_t size);

// The input read as a text file is read: byte-order mark, code page, line ends.
QStringList lines(const uint8_t* data, size_t size);

// Writes the input to one file in a folder of this process (made at the first
// call, removed at exit) and returns its path, for readers that take a path.
QString input_file(const uint8_t* data, size_t size);

// Runs `read`; a basics::error is a reader's answer to bad input, anything
// else escapes and is a finding.
template <typename Read>
void tolerate_refusal(Read read);

// Stops with a message when a reader broke one of its promises.
void require(bool holds, const char* promise);

// Operator prompts that stop with a message at their first use, installed
// for the whole process: a reader hands its messages to its caller, and a
// box raised from one is a finding.
void forbid_prompts();

}  // namespace fuzz

#include "basics/error.h"

template <typename Read>
void fuzz::tolerate_refusal(Read read) {
  try {
    read();
  } catch (const basics::error&) {
  }
}
