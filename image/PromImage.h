// SPDX-License-Identifier: GPL-3.0-or-later
// The 128-bit image of an RP5H01 serial PROM, its two display/file bit orders, its text form and the
// comparison of two images. Pure data and functions: nothing here touches a file or a device.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace quarrow {

// Bit n is the n-th bit clocked out of the chip after a reset (n = 0 first). Bits 0..63 live at
// positions 0..63 of word0, bits 64..127 at positions 0..63 of word1. A set bit is a high level
// sampled on the data line, stored exactly as sampled.
struct PromImage {
  static constexpr int kBits = 128;

  std::bitset<64> word0;
  std::bitset<64> word1;

  bool Bit(int n) const { return n < 64 ? word0.test(n) : word1.test(n - 64); }
  void SetBit(int n, bool value = true) {
    if (n < 64) word0.set(n, value); else word1.set(n - 64, value);
  }
  void Clear() { word0.reset(); word1.reset(); }

  friend bool operator==(const PromImage&, const PromImage&) = default;
};

// Swaps the eight bytes of a word, keeping the bit order inside each byte. Used for display only;
// its own inverse.
std::bitset<64> ByteReverse64(std::bitset<64> word);

// Keeps every byte in place, mirrors its bits and inverts them: b becomes NOT(bit-reverse(b)). This
// is how MAME stores RP5H01 images; the function is its own inverse.
std::bitset<64> InvertMirror64(std::bitset<64> word);

// "%016llX %016llX" of the byte-reversed words: 33 ASCII characters that read in chip order, two
// hex digits per eight bits read (the raw file layout's bytes, in file order).
std::string FormatImageText(const PromImage& image);

// The buffer image's value before any file is opened, read from these two bit strings with the
// bit-set conversion (rightmost character is position 0).
inline constexpr const char* kDefaultBufferWord0Bits =
    "1111111111111111111111111111111111111111111111111111111111111111";
inline constexpr const char* kDefaultBufferWord1Bits =
    "0000000000000000111111111111111100000000000000001111111111111111";
PromImage DefaultBufferImage();

// Whether two images are equal over all 128 bits, and which bit numbers differ (ascending).
struct ImageComparison {
  bool match = true;
  std::vector<int> differingBits;
};
ImageComparison CompareImages(const PromImage& chip, const PromImage& file);

}  // namespace quarrow
