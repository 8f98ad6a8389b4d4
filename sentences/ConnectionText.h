// SPDX-License-Identifier: GPL-3.0-or-later
// Why Connect failed, in words: shared by the window and quarrow-cli.
#pragma once

#include <string>

#include "Programmer.h"

namespace quarrow {

// The programmer library's own words where it gave any; otherwise the call that failed with its
// status, or what was refused before the open (a missing serial, pins the chip lacks). Outside text
// (the serial typed, the library's words) is as found, so a terminal still escapes it.
std::string ConnectFailureText(const ConnectResult& result);

}  // namespace quarrow
