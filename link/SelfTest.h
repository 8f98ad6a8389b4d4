// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test: drives clock and reset through the levels a read uses, reads every pin back,
// and watches the data line through a reset and a few clocks, to tell a plausible wiring from the
// usual faults. It writes nothing a read would not write.
#pragma once

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
  PinOperationsFailed,
};

struct WiringFindingLine {
  WiringFinding finding;
  std::string line;  // "clock", "reset", "data", or empty for the programmer as a whole
  int pin = -1;
  bool fault = false;
  std::string text;  // the whole line, as shown to the person
};

struct WiringSelfTestResult {
  std::vector<WiringFindingLine> findings;  // clock, reset, data; then failed operations, if any
  bool plausible = false;
  std::string verdict;  // "Wiring plausible", or the first fault
};

// Bits clocked after the first reset, and after the second one that checks they come again.
inline constexpr int kSelfTestBits = 16;
inline constexpr int kSelfTestRepeatBits = 4;

// Runs on a programmer already connected (bit-bang set up) with `pins`. Takes the read's waits:
// 2 x (2 x 20 ms) + (16 + 4) x 3 x 10 ms = 680 ms.
WiringSelfTestResult RunWiringSelfTest(IPinPort& port, const PinAssignment& pins,
                                       const WaitFunction& wait = SleepMilliseconds);

}  // namespace quarrow
