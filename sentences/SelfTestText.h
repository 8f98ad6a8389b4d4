// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test's findings as sentences, from the texts in res/Texts.h: shared by
// quarrow-cli's selftest and the window's "Check wiring...".
#pragma once

#include <string>

#include "SelfTest.h"

namespace quarrow {

// One finding: "clock (D0): follows what is written". `invertData` is the assignment's.
std::string WiringFindingText(const WiringFindingLine& finding, bool invertData);

// "Wiring plausible", or the fault most worth acting on first: a wiring that reads the chip when
// one was found, else the first fault; or why the check did not run.
std::string WiringVerdict(const WiringSelfTestResult& result, bool invertData);

// The command-line options that give an assignment: "--pins clock=D0,reset=D1,data=D6", and
// " --invert-data" when the data line is inverted.
std::string PinsOptionText(const PinAssignment& pins);

}  // namespace quarrow
