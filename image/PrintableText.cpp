// SPDX-License-Identifier: GPL-3.0-or-later
// One-line, terminal-safe spelling of outside text.
#include "PrintableText.h"

#include <cstdint>
#include <cstdio>

namespace quarrow {

namespace {

void AppendEscaped(std::string& out, std::uint8_t byte) {
  switch (byte) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case 0x1B: out += "\\e"; return;
    default: break;
  }
  char escaped[5];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  out += escaped;
}

// Length of the well-formed UTF-8 sequence starting at `i`, or 0 if the bytes there are not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // UTF-16 surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead < 0x80) {
      if (lead < 0x20 || lead == 0x7F) {
        AppendEscaped(out, lead);
      } else {
        out += static_cast<char>(lead);
      }
      ++i;
      continue;
    }
    const std::size_t length = SequenceLength(text, i);
    // U+0080..U+009F (C2 80..C2 9F) are the C1 controls, CSI among them.
    const bool c1 = length == 2 && lead == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0;
    if (length == 0 || c1) {
      const std::size_t count = length == 0 ? 1 : length;
      for (std::size_t k = 0; k < count; ++k) {
        AppendEscaped(out, static_cast<std::uint8_t>(text[i + k]));
      }
      i += count;
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

std::string QuotedExcerpt(std::string_view value, char quote) {
  constexpr std::size_t kShown = 48;
  return quote + std::string(value.substr(0, kShown)) + (value.size() > kShown ? "..." : "") + quote;
}

std::string PrintablePath(const std::filesystem::path& path) {
  const std::u8string spelled = path.u8string();
  return PrintableText(
      std::string_view(reinterpret_cast<const char*>(spelled.data()), spelled.size()));
}

}  // namespace quarrow
