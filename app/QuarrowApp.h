// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: sets up the programmer back end and runs the main window modally.
#pragma once

namespace quarrow {

class CQuarrowApp {
 public:
  // Runs the whole program: the window's modal loop, and returns the process's exit code.
  // Options: --simulate, --simulate-image FILE (a MAME-layout image the simulated chip holds).
  int InitInstance(int argc, char** argv);
};

extern CQuarrowApp theApp;

}  // namespace quarrow
