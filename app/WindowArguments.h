// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line, read before anything needs a display: --help, --version and a
// bad option answer on a machine without one, as the command line tool does.
#pragma once

#include <QString>

namespace quarrow {

struct WindowArguments {
  bool simulate = false;
  QString simulateImage;  // empty: none given
};

// The exit statuses are quarrow-cli's: 2 for a command line that could not be understood.
inline constexpr int kWindowExitUsage = 2;
inline constexpr int kWindowExitFailure = 3;

// Reads the arguments into `arguments` and returns -1 when the program goes on; otherwise the exit
// status, after printing the help, the version or the one-line error.
int ParseWindowArguments(int argc, char** argv, WindowArguments& arguments);

// On X11 systems: why the window cannot be shown (no display named for the X platform that Qt would
// use), or empty. Qt's own answer to a missing display is to abort the process.
QString MissingDisplay(int argc, char** argv);

}  // namespace quarrow
