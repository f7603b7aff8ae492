#pragma once

// What every scanner program does around its window: starts the shared unit,
// creates and shows the window, keeps a journal when there is no display,
// closes the window on a termination request and runs the message loop until
// the window is closed. Each program differs only in its window class.

#include <functional>
#include <memory>

class TVELLIC_spectrum_scanner;

// Runs the program whose window `make_window` constructs (after the
// application exists); returns the exit code.
int run_scanner_program(
    int argc, char** argv,
    const std::function<std::unique_ptr<TVELLIC_spectrum_scanner>()>& make_window);
