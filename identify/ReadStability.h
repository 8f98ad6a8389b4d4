// SPDX-License-Identifier: GPL-3.0-or-later
// Several reads of one chip compared bit by bit: a bit that does not read the same every time points
// at a bad contact or a marginal data line, and no single read of it can be trusted.
#pragma once

#include <vector>

#include "PromImage.h"

namespace quarrow {

struct UnstableBit {
  int bit = 0;
  int ones = 0;   // how many of the reads gave 1
  int reads = 0;  // how many reads there were
  friend bool operator==(const UnstableBit&, const UnstableBit&) = default;
};

// The bits that differ between the reads, in ascending order; empty when all reads agree.
std::vector<UnstableBit> UnstableBits(const std::vector<PromImage>& reads);

// How many of the reads are not the first one, bit for bit.
int ReadsDifferingFromFirst(const std::vector<PromImage>& reads);

}  // namespace quarrow
