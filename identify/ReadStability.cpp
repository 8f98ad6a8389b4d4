// SPDX-License-Identifier: GPL-3.0-or-later
// Bit-by-bit agreement of repeated reads.
#include "ReadStability.h"

namespace quarrow {

std::vector<UnstableBit> UnstableBits(const std::vector<PromImage>& reads) {
  std::vector<UnstableBit> unstable;
  const int count = static_cast<int>(reads.size());
  for (int bit = 0; bit < PromImage::kBits; ++bit) {
    int ones = 0;
    for (const PromImage& read : reads) ones += read.Bit(bit) ? 1 : 0;
    if (ones != 0 && ones != count) unstable.push_back({bit, ones, count});
  }
  return unstable;
}

int ReadsDifferingFromFirst(const std::vector<PromImage>& reads) {
  int differing = 0;
  for (const PromImage& read : reads) differing += read != reads.front() ? 1 : 0;
  return differing;
}

}  // namespace quarrow
