// SPDX-License-Identifier: GPL-3.0-or-later
// What is wrong with a table of known dumps, in words: shared by the window and quarrow-cli.
#pragma once

#include <string>

#include "KnownDumps.h"

namespace quarrow {

// "FILE: not a regular file", "FILE:LINE: crc32 'bd82d77' is not 8 hexadecimal digits", ... in
// UTF-8; the file name and the values are as found, so a terminal still escapes them.
std::string TableProblemText(const TableProblem& problem);

}  // namespace quarrow
