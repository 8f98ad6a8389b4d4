// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that only the command line shows; the texts it shares with the window are in res/Strings.h.
#pragma once

namespace quarrow::cli {

inline constexpr const char* kProgramName = "quarrow-cli";
// Followed by the bit numbers, comma-separated.
inline constexpr const char* kDifferingBits = "Differing bits: ";
// Follows the diagnosis that two reads differ, then the bit numbers.
inline constexpr const char* kReadsDifferBits = "; differing bits: ";
inline constexpr const char* kCantWriteOutput =
    "Can't write to standard output - the result did not reach it";
inline constexpr const char* kCantIdentify = "Can't compute the image's SHA-1: ";
// "Note - PATH holds N bytes, not 16: " and then one of these two.
inline constexpr const char* kShortFileNote = "the missing bytes were taken as 00";
inline constexpr const char* kLongFileNote = "only the first 16 bytes were used";
inline constexpr const char* kReadInterrupted =
    "Read interrupted - the programmer was closed and nothing was saved";
// After the word that was given where a command was expected, in quotes.
inline constexpr const char* kNotACommand =
    " is not a command; the commands are show, identify, convert, list, read, compare and selftest";

// read --json with -o naming standard output: the image's bytes would land in front of the object.
inline constexpr const char* kJsonOutputIsStandardOutput =
    "--json prints the result on standard output, so --output must name another file";

}  // namespace quarrow::cli
