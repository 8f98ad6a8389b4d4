// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: sets up the programmer back end and runs the main window modally.
#pragma once

#include <QString>

#include <optional>

#include "KnownDumps.h"
#include "PromImage.h"

namespace quarrow {

// The table named by QUARROW_KNOWN_DUMPS, or nothing when none is named or it cannot be used; then
// `problem` says why, for a box, and that the built-in table is used instead.
std::optional<KnownDumpTable> KnownDumpsFromEnvironment(QString& problem);

class CQuarrowApp {
 public:
  // Runs the whole program: the window's modal loop, and returns the process's exit code.
  // Options: --simulate, --simulate-image FILE (a MAME-layout image the simulated chip holds).
  int InitInstance(int argc, char** argv);

 private:
  // The last read-out and the file buffer, for the whole run. Both start all zero; the window gives
  // the buffer its default when it initialises.
  PromImage chipImage_;
  PromImage bufferImage_;
};

extern CQuarrowApp theApp;

}  // namespace quarrow
