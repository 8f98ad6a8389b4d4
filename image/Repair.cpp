// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-image repairs; each is its own inverse.
#include "Repair.h"

namespace quarrow {

namespace {

std::bitset<64> MirrorEachByte(std::bitset<64> word) {
  std::bitset<64> mirrored;
  for (int bit = 0; bit < 64; ++bit) mirrored[(bit & ~7) | (7 - (bit & 7))] = word[bit];
  return mirrored;
}

}  // namespace

PromImage InvertedImage(const PromImage& image) { return {~image.word0, ~image.word1}; }

PromImage ByteMirroredImage(const PromImage& image) {
  return {MirrorEachByte(image.word0), MirrorEachByte(image.word1)};
}

PromImage HalvesSwappedImage(const PromImage& image) { return {image.word1, image.word0}; }

PromImage RepairedImage(const PromImage& image, const ImageRepairs& repairs) {
  PromImage repaired = image;
  if (repairs.invert) repaired = InvertedImage(repaired);
  if (repairs.mirror) repaired = ByteMirroredImage(repaired);
  if (repairs.swapHalves) repaired = HalvesSwappedImage(repaired);
  return repaired;
}

}  // namespace quarrow
