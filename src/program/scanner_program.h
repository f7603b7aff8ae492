#pragma once

// What every scanner program does around its window: starts the shared unit,
// creates and shows the window, keeps a journal when there is no display,
// closes the window on a termination request and runs the message loop until
// the window is closed. Each program differs only in its window class.

#include <QString>

#include <functional>
#include <memory>

#include "program/new_deployment.h"

class TVELLIC_spectrum_scanner;

// What sets a scanner program apart besides its window class.
struct scanner_identity {
  // What it converts, in one sentence: the start of its --help and the
  // summary of its manual page.
  QString converts;
  // What --init makes for it.
  program::deployment_kind deployment;
};

// Runs the program whose window `make_window` constructs (after the
// application exists); returns the exit code.
int run_scanner_program(
    int argc, char** argv, const scanner_identity& identity,
    const std::function<std::unique_ptr<TVELLIC_spectrum_scanner>()>& make_window);
