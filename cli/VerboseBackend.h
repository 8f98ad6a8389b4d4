// SPDX-License-Identifier: GPL-3.0-or-later
// --verbose: the programmer back end's steps as they happen, each with its result and the back end's
// own words (libftdi's, the DLL's, the simulation's), on standard error.
#pragma once

#include <memory>
#include <ostream>

#include "D2xx.h"

namespace quarrow::cli {

// Wraps `backend`, passing every call through unchanged and writing one line per step to `log`.
// The pin traffic of a read (FT_Write, FT_GetBitMode, hundreds per chip) is written only when it
// fails; a --trace file holds all of it.
std::unique_ptr<ID2xx> LoggingBackend(std::unique_ptr<ID2xx> backend, std::ostream& log);

}  // namespace quarrow::cli
