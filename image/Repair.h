// SPDX-License-Identifier: GPL-3.0-or-later
// The three faults a programmer's wiring or a wrong start makes in a whole image, each undone by
// doing it again: every bit inverted (data line polarity), each byte's bits in reverse order (bit
// order), and the two 64-bit halves swapped (a read that started half-way round the chip's counter).
#pragma once

#include "PromImage.h"

namespace quarrow {

PromImage InvertedImage(const PromImage& image);
PromImage ByteMirroredImage(const PromImage& image);
PromImage HalvesSwappedImage(const PromImage& image);

// The repairs that convert applies between reading and writing, in this order.
struct ImageRepairs {
  bool invert = false;
  bool mirror = false;
  bool swapHalves = false;

  bool Any() const { return invert || mirror || swapHalves; }
};
PromImage RepairedImage(const PromImage& image, const ImageRepairs& repairs);

}  // namespace quarrow
