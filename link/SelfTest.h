// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test: drives clock and reset through the levels a read uses, reads every pin back,
// and watches the data line and every other input pin through a reset and a few clocks, to tell a
// plausible wiring from the usual faults and, where it can, the wiring that would read the chip.
// It drives no pin but the clock and reset pins, and writes what a read writes (with clock and reset
// in each other's roles, when it tries them so).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PinAssignment.h"
#include "PinPort.h"
#include "ReadOut.h"

namespace quarrow {

enum class WiringFinding {
  OutputFollows,
  OutputStuck,
  DataNeverChanges,
  DataFollowsClock,
  DataFollowsReset,
  DataNotRepeatable,
  DataLikeAChip,
  // The chip's data shows on another input pin than the data pin (`pin`); `fix` reads it.
  ChipOnOtherPin,
  // Nothing showed a chip until clock and reset were tried in each other's roles; then the chip's
  // data showed on `pin`, and `fix` reads it.
  ClockAndResetSwapped,
  // Where a chip answers: the data line's polarity cannot be seen (an inverted line changes as a
  // chip's would too); a read followed by identify tells it.
  PolarityUnseen,
  PinOperationsFailed,
};

// One finding, as a value: the edges turn it into a sentence (SelfTestText.h).
struct WiringFindingLine {
  WiringFinding finding;
  std::string line;  // "clock", "reset", "data", or empty for a finding of no one line
  int pin = -1;
  bool fault = false;
  std::optional<PinAssignment> fix;  // the wiring that reads the chip, where one was found
  // The pin and the fix by the programmer's own names ("GPIO22"), where they are not its D-numbers;
  // empty otherwise.
  std::string pinName;
  std::string fixText;
};

struct WiringSelfTestResult {
  // clock, reset, data; then a fix, if found; the polarity note where a chip answers; failed
  // operations, if any.
  std::vector<WiringFindingLine> findings;
  bool plausible = false;
  // Why the check did not run at all (the chip lacks a pin the assignment names); nothing when it ran.
  std::optional<PinsOnChipProblem> refused;
};

// Bits clocked after the first reset, and after the second one that checks they come again.
inline constexpr int kSelfTestBits = 16;
inline constexpr int kSelfTestRepeatBits = 4;

// Runs on a programmer already connected (bit-bang set up) with `pins`, whose chip has the
// bit-bang pins D0..D(bitBangPins-1). Takes the read's waits: 2 x (2 x 20 ms) + (16 + 4) x 3 x
// 10 ms = 680 ms, twice that when the data line never changes and clock and reset are tried in
// each other's roles.
WiringSelfTestResult RunWiringSelfTest(IPinPort& port, const PinAssignment& pins,
                                       const WaitFunction& wait = SleepMilliseconds, int bitBangPins = 8);

}  // namespace quarrow
