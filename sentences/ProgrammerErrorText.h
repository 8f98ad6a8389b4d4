// SPDX-License-Identifier: GPL-3.0-or-later
// A programmer library's failure as a sentence: who failed, what went wrong and what to do, then
// the library's own words.
#pragma once

#include <string>
#include <vector>

#include "ProgrammerError.h"

namespace quarrow {

// "libftdi: the USB device is in use by another program (or already connected here): LIBUSB_ERROR_BUSY";
// empty for no failure. Outside text (serials, the library's words) is passed as it is; the edges
// escape it for a terminal.
std::string ProgrammerErrorText(const ProgrammerError& error);

// That no programmer was found, naming the families looked for (IProgrammerLibrary::FamiliesSought).
std::string NothingFoundText(const std::vector<std::string>& families);

}  // namespace quarrow
