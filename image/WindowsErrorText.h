// SPDX-License-Identifier: GPL-3.0-or-later
// The system's own words for a Windows error code, for the messages of every layer on Windows.
#pragma once

#ifdef _WIN32
#include <string>

namespace quarrow {

// FormatMessageW's text for `error` in UTF-8, without the trailing full stop and line break; empty
// when the system has no text for it.
std::string WindowsErrorText(unsigned long error);

// That text followed by ", Windows error N", the number being what one searches for.
std::string WindowsErrorReason(unsigned long error);

}  // namespace quarrow
#endif
