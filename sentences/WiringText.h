// SPDX-License-Identifier: GPL-3.0-or-later
// What is wrong with a pin assignment, with an assignment on a chip, and with the wiring file, in
// words: shared by the window and quarrow-cli.
#pragma once

#include <string>

#include "PinAssignment.h"
#include "ProgrammerPins.h"
#include "WiringFile.h"

namespace quarrow {

// "unknown pin "D8" for the data line (pins are ...)"; outside text quoted cut short, not escaped.
std::string PinAssignmentProblemText(const PinAssignmentProblem& problem);

// "the FT230X has the bit-bang pins D0-D3 only, but the pin assignment ... uses D4; wire ...", or
// which port the names given belong to and what to give instead.
std::string PinsOnChipText(const PinsOnChipProblem& problem);
// "D6 can only be read on a CH341A: clock and reset must be driven (...)", a GPIO line the chip
// lacks, or lines of another GPIO chip.
std::string PinsOnProgrammerText(const PinsOnProgrammerProblem& problem);
// Empty when port `port` of the chip has every pin the assignment names, by the names it takes;
// otherwise PinsOnChipText.
std::string MissingPinsText(FtdiChip chip, const PinAssignment& pins, int port = 0);

// "FILE:LINE: unknown setting "colour" (...)", "FILE: it is not a regular file", ...; the file name
// and the values are as found, so a terminal still escapes them.
std::string WiringFileProblemText(const WiringFileProblem& problem);

}  // namespace quarrow
