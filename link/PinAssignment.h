// SPDX-License-Identifier: GPL-3.0-or-later
// Which FTDI bit-bang pin carries each PROM line (clock, reset, data), and whether the data line
// reaches the pin inverted. Written "clock=D0,reset=D1,data=D4", pins as D0..D7 or by the FT232R's
// signal names (TXD RXD RTS CTS DTR DSR DCD RI).
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

  std::uint8_t ClockMask() const { return static_cast<std::uint8_t>(1u << clock); }
  std::uint8_t ResetMask() const { return static_cast<std::uint8_t>(1u << reset); }
  std::uint8_t DataMask() const { return static_cast<std::uint8_t>(1u << data); }
  // The board the program was first built for: D0, D1, D4, data not inverted.
  bool IsDefault() const { return *this == PinAssignment{}; }
  // The bit-bang direction mask (1 = output). The default board has always had all eight pins
  // driven, and stays so; any other wiring drives clock and reset only, so that the FTDI chip never
  // fights the PROM (or a buffer) over the data line.
  std::uint8_t DirectionMask() const;
  // The highest pin named, for a chip with fewer than eight bit-bang pins.
  int HighestPin() const;

  // "clock=D0,reset=D1,data=D4" (the polarity is not part of the text).
  std::string Text() const;

  friend bool operator==(const PinAssignment&, const PinAssignment&) = default;
};

// "D4" for 4.
std::string PinName(int pin);
// "D0".."D7" or TXD RXD RTS CTS DTR DSR DCD RI, case-insensitive; nothing else.
std::optional<int> ParsePinName(std::string_view text);

struct PinAssignmentParse {
  std::optional<PinAssignment> assignment;  // set on success, not inverted
  std::string error;                        // which line or pin is wrong, when it failed
};
// Parses "clock=PIN,reset=PIN,data=PIN" in any order; spaces around the parts are allowed. A line
// named twice, a pin used twice, an unknown line or pin and a missing line are errors.
PinAssignmentParse ParsePinAssignment(std::string_view text);

}  // namespace quarrow
