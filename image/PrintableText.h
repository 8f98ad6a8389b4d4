// SPDX-License-Identifier: GPL-3.0-or-later
// Text from outside the program (file names above all) made safe to show on one line: a name may
// hold newlines, escape sequences or bytes that are not UTF-8, and printed as it is it could split
// a one-line error or drive the person's terminal.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quarrow {

// UTF-8 text with control characters (C0, DEL, C1) written as \n, \r, \t, \e or \xNN, and bytes
// that are not UTF-8 as \xNN. Everything else, backslashes included, stays as it is.
std::string PrintableText(std::string_view text);

// A value from outside as an error quotes it: between `quote`s, cut after 48 bytes with "...", so
// that a line of garbage or a 100,000-character argument does not flood the terminal. Not yet
// escaped: the error as a whole goes through PrintableText.
std::string QuotedExcerpt(std::string_view value, char quote = '\'');

// A path in that form, from its UTF-8 spelling.
std::string PrintablePath(const std::filesystem::path& path);

}  // namespace quarrow
