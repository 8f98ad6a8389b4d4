// SPDX-License-Identifier: GPL-3.0-or-later
// Which FTDI bit-bang pin carries each PROM line (clock, reset, data), and whether the data line
// reaches the pin inverted. Written "clock=D0,reset=D1,data=D4", pins as D0..D7 or by the names
// boards print (the FT232R's TXD RXD RTS CTS DTR DSR DCD RI, a port's ADBUS0 or AD0, BDBUS0 ...).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarrow {

struct PinAssignment {
  int clock = 0;  // D0
  int reset = 1;  // D1
  int data = 4;   // D4
  bool invertData = false;
  // The port whose bus names the text used (0 = A for ADBUS2 or AD2), checked against the chip at
  // Connect; -1 when the pins were named otherwise. It says how the wiring was written, not what
  // it is, and takes no part in comparisons.
  int namedPort = -1;

  std::uint8_t ClockMask() const { return static_cast<std::uint8_t>(1u << clock); }
  std::uint8_t ResetMask() const { return static_cast<std::uint8_t>(1u << reset); }
  std::uint8_t DataMask() const { return static_cast<std::uint8_t>(1u << data); }
  // The board the program was first built for: D0, D1, D4, data not inverted.
  bool IsDefault() const { return *this == PinAssignment{}; }
  // The bit-bang direction mask (1 = output): clock and reset only, on every wiring, so that the
  // FTDI chip never fights the PROM (or a buffer) over the data line or drives an unknown pin.
  std::uint8_t DirectionMask() const { return static_cast<std::uint8_t>(ClockMask() | ResetMask()); }
  // The pin byte after a pin read: the clock, reset and data pins at the levels `read`, every other
  // pin as `written`. Those pins are inputs, where a written bit does nothing; keeping them as
  // written keeps every byte a read writes independent of what loose pins float to. The data
  // pin's bit, also written to an input, is the one the board the tool was built for has always
  // had there.
  std::uint8_t AfterRead(std::uint8_t written, std::uint8_t read) const;
  // The highest pin named, for a chip with fewer than eight bit-bang pins.
  int HighestPin() const;

  // "clock=D0,reset=D1,data=D4" (the polarity is not part of the text).
  std::string Text() const;

  friend bool operator==(const PinAssignment& a, const PinAssignment& b) {
    return a.clock == b.clock && a.reset == b.reset && a.data == b.data && a.invertData == b.invertData;
  }
};

// "D4" for 4.
std::string PinName(int pin);

struct PinAssignmentParse {
  std::optional<PinAssignment> assignment;  // set on success, not inverted
  std::string error;                        // which line or pin is wrong, when it failed
};
// Parses "clock=PIN,reset=PIN,data=PIN" in any order; spaces around the parts are allowed. A line
// named twice, a pin used twice, an unknown line or pin, a missing line and the names of two ports
// are errors.
PinAssignmentParse ParsePinAssignment(std::string_view text);

}  // namespace quarrow
