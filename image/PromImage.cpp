// SPDX-License-Identifier: GPL-3.0-or-later
// Bit orders, text form and comparison of PROM images.
#include "PromImage.h"

#include <cinttypes>
#include <cstdio>

namespace quarrow {

std::bitset<64> ByteReverse64(std::bitset<64> word) {
  std::bitset<64> out;
  for (int p = 0; p < 64; ++p) {
    if (word.test(p)) out.set(p % 8 + 8 * (7 - p / 8));
  }
  return out;
}

std::bitset<64> InvertMirror64(std::bitset<64> word) {
  std::bitset<64> out;
  for (int p = 0; p < 64; ++p) {
    if (!word.test(p)) out.set(8 * (p / 8) + 7 - p % 8);
  }
  return out;
}

std::string FormatImageText(const PromImage& image) {
  char text[40];
  std::snprintf(text, sizeof text, "%016" PRIX64 " %016" PRIX64,
                static_cast<std::uint64_t>(ByteReverse64(image.word0).to_ullong()),
                static_cast<std::uint64_t>(ByteReverse64(image.word1).to_ullong()));
  return text;
}

PromImage DefaultBufferImage() {
  PromImage image;
  image.word0 = std::bitset<64>(kDefaultBufferWord0Bits);
  image.word1 = std::bitset<64>(kDefaultBufferWord1Bits);
  return image;
}

ImageComparison CompareImages(const PromImage& chip, const PromImage& file) {
  ImageComparison result;
  for (int n = 0; n < PromImage::kBits; ++n) {
    if (chip.Bit(n) != file.Bit(n)) result.differingBits.push_back(n);
  }
  result.match = result.differingBits.empty();
  return result;
}

}  // namespace quarrow
