// SPDX-License-Identifier: GPL-3.0-or-later
// Diagnoses from what MAME's RP5H01 model says about the chip.
#include "Diagnosis.h"

namespace quarrow {

PromImage BlankChipImage() {
  // Raw bytes 10 and 11 and bytes 14 and 15 are FF: bits 80..95 and 112..127 of the stream.
  PromImage blank;
  blank.word1 = std::bitset<64>(0xFFFF0000FFFF0000ULL);
  return blank;
}

bool MeansBrokenRead(Diagnosis diagnosis) { return diagnosis != Diagnosis::ReadsDiffer; }

std::vector<Diagnosis> DiagnoseRead(const PromImage& image, const PromImage* secondRead) {
  std::vector<Diagnosis> found;
  if (secondRead != nullptr && *secondRead != image) found.push_back(Diagnosis::ReadsDiffer);
  if (image.word0.all() && image.word1.all()) {
    found.push_back(Diagnosis::AllOnes);
  } else if (image.word0.none() && image.word1.none()) {
    found.push_back(Diagnosis::AllZeros);
  } else if (image == BlankChipImage()) {
    found.push_back(Diagnosis::BlankChip);
  } else if (image.word1 == image.word0) {
    // With TEST low the chip's address counter has 6 bits, so the 128 clocks read its 64 bits
    // twice.
    found.push_back(Diagnosis::TestPinLow);
  }
  return found;
}

}  // namespace quarrow
