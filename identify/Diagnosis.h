// SPDX-License-Identifier: GPL-3.0-or-later
// What a read that looks broken probably means. A diagnosis never changes the read itself: the bits
// are still shown and can be saved.
#pragma once

#include <vector>

#include "PromImage.h"

namespace quarrow {

enum class Diagnosis {
  ReadsDiffer,  // two reads of the same chip disagree: bad contact
  AllOnes,      // no chip, or the data line is not connected
  AllZeros,     // the same, with the line pulled the other way
  BlankChip,    // the pattern of an unprogrammed RP5H01
  TestPinLow,   // bits 64..127 repeat bits 0..63: the counter wraps at 64
};

// An unprogrammed chip: in the raw layout 00 x10, FF FF, 00 00, FF FF.
PromImage BlankChipImage();

// Whether the diagnosis says the bits are not the chip's at all (no chip, a blank one, TEST low), as
// opposed to reads that merely disagree.
bool MeansBrokenRead(Diagnosis diagnosis);

// The diagnoses that fit, most telling first; empty for a read that looks sound. `secondRead` is
// the other read of a verified read, if there was one.
std::vector<Diagnosis> DiagnoseRead(const PromImage& image, const PromImage* secondRead = nullptr);

}  // namespace quarrow
