// SPDX-License-Identifier: GPL-3.0-or-later
// An RP5H01 as its pins see it: a high reset holds it at stream bit 0, each falling clock edge
// outside the reset moves it on by one bit, and its data output gives the bit it is at. The
// simulated programmer and the test stand-ins for FTDI's libraries put one on their pins.
#pragma once

#include "PromImage.h"

namespace quarrow {

class SimulatedRp5h01 {
 public:
  explicit SimulatedRp5h01(const PromImage& bits = {}) : bits_(bits) {}

  void SetBits(const PromImage& bits) { bits_ = bits; }
  const PromImage& Bits() const { return bits_; }

  // The levels at its clock and reset inputs now; the chip acts on their edges.
  void SetInputs(bool clock, bool reset) {
    const bool clockFell = clock_ && !clock;
    if (!reset_ && reset) ++resets_;
    clock_ = clock;
    reset_ = reset;
    if (reset) {
      streamBit_ = 0;
      clocksSinceReset_ = 0;
    } else if (clockFell) {
      streamBit_ = (streamBit_ + 1) % PromImage::kBits;
      ++clocksSinceReset_;
    }
  }

  // The level it drives on its data output: true for a set bit (a board may invert it on its way).
  bool Data() const { return bits_.Bit(streamBit_); }
  int StreamBit() const { return streamBit_; }
  long long ClocksSinceReset() const { return clocksSinceReset_; }
  long long Resets() const { return resets_; }  // rising edges of its reset input

 private:
  PromImage bits_;
  bool clock_ = false;
  bool reset_ = false;
  int streamBit_ = 0;  // 0..127
  long long clocksSinceReset_ = 0;
  long long resets_ = 0;
};

}  // namespace quarrow
