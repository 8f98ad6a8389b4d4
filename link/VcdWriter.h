// SPDX-License-Identifier: GPL-3.0-or-later
// A pin trace as a Value Change Dump (IEEE 1364), the text format that PulseView, GTKWave and
// sigrok-cli (-I vcd) open as a logic analyser's capture.
#pragma once

#include <string>

#include "PinTrace.h"

namespace quarrow {

// One wire per programmer pin, in microseconds: "clock", "reset" and "data" for the pins that carry
// those lines, the others by pin name ("D2"). A write sets the pins it drives, a read every pin;
// before the first operation a pin's level is unknown (x). A failed operation changes nothing.
// `comment` goes into the header, after the pin assignment.
std::string PinTraceVcd(const PinTrace& trace, const std::string& comment = {});

}  // namespace quarrow
