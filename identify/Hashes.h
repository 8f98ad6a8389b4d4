// SPDX-License-Identifier: GPL-3.0-or-later
// The two hashes MAME identifies ROM files by: CRC32 and SHA-1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quarrow {

// Lower-case hexadecimal, as MAME's ROM definitions spell them.
struct ImageHashes {
  std::string crc32;  // 8 digits
  std::string sha1;   // 40 digits

  friend bool operator==(const ImageHashes&, const ImageHashes&) = default;
};

// Nothing when the digest library fails; `error` then holds its words.
std::optional<ImageHashes> HashBytes(std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace quarrow
