// SPDX-License-Identifier: GPL-3.0-or-later
// --verbose: the programmer library's steps as they happen, each with its result and the library's
// own words (libftdi's, the DLL's, the simulation's), on standard error.
#pragma once

#include <memory>
#include <ostream>

#include "ProgrammerLibrary.h"

namespace quarrow::cli {

// Wraps `library`, passing every call through unchanged and writing one line per step to `log`.
// The pin traffic of a read (hundreds of writes and reads per chip) is written only when it fails;
// a --trace file holds all of it.
std::unique_ptr<IProgrammerLibrary> LoggingBackend(std::unique_ptr<IProgrammerLibrary> library,
                                                   std::ostream& log);

}  // namespace quarrow::cli
