#pragma once

// Where a reader's or a conversion's messages for the operator go: the
// window or the program's start-up shows them, the data layer raises no box.
//
// Thread-safe: a sink runs on the thread that reports; a sink that several
// threads share must guard what it changes itself.

#include <QString>

#include <functional>

namespace basics {

// Takes one message line for the operator.
using message_sink = std::function<void(const QString&)>;

}  // namespace basics
