// SPDX-License-Identifier: GPL-3.0-or-later
// Names people type (chips, pins, families) are matched without regard to case, in ASCII: the
// names are ASCII, and a locale's case rules must not turn one name into another.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace quarrow {

inline char UpperAscii(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

inline std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

inline bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

}  // namespace quarrow
