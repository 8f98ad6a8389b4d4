// SPDX-License-Identifier: GPL-3.0-or-later
// Which FTDI bit-bang pin carries each PROM line (clock, reset, data), and whether the data line
// reaches the pin inverted. Written "clock=D0,reset=D1,data=D4", pins as D0..D7 or by the names
// boards print (the FT232R's TXD RXD RTS CTS DTR DSR DCD RI, a port's ADBUS0 or AD0, BDBUS0 ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FtdiChip.h"

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
  // The GPIO chip whose lines the text named as CHIP:OFFSET ("gpiochip0"), checked against the
  // programmer at Connect; empty when the pins were named otherwise. The pins are then lines of
  // that chip, which may lie beyond D7; like namedPort it takes no part in comparisons.
  std::string namedChip;

  // A pin beyond D7 has no bit in the byte: such a wiring is driven through its compact port
  // wiring (CompactPortWiring).
  static std::uint8_t MaskOf(int pin) {
    return pin >= 0 && pin < 8 ? static_cast<std::uint8_t>(1u << pin) : std::uint8_t{0};
  }
  std::uint8_t ClockMask() const { return MaskOf(clock); }
  std::uint8_t ResetMask() const { return MaskOf(reset); }
  std::uint8_t DataMask() const { return MaskOf(data); }
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

  // "clock=D0,reset=D1,data=D4", or "clock=gpiochip0:17,..." for lines of a GPIO chip (the
  // polarity is not part of the text).
  std::string Text() const;

  friend bool operator==(const PinAssignment& a, const PinAssignment& b) {
    return a.clock == b.clock && a.reset == b.reset && a.data == b.data && a.invertData == b.invertData;
  }
};

// "D4" for 4.
std::string PinName(int pin);

// "clock", "reset", "data" for 0, 1, 2: the lines as the text form names them.
std::string_view PinLineName(int line);

// Why a text is no pin assignment, as a value: the edge says it in words (WiringText.h).
struct PinAssignmentProblem {
  enum class Kind {
    NotLineEqualsPin,  // `written` is the part without '='
    UnknownLine,       // `written` is the line as written
    LineTwice,         // `line` is named twice
    UnknownPin,        // `written` is the pin as written for `line`
    PortsMixed,        // `written` is a pin of `port`, another line was named on `otherPort`
    PinTwice,          // `pin` is given to `otherLine` and to `line`
    LineMissing,       // `line` is not named
    ChipsMixed,        // `written` is a line of another GPIO chip than the one another line named
  };
  Kind kind = Kind::LineMissing;
  std::string written;  // outside text as written: the edge quotes it cut short
  int line = 0;         // as PinLineName numbers them
  int otherLine = 0;
  int pin = 0;
  int port = 0;
  int otherPort = 0;
  // The pins this programmer takes, for an unknown pin on a programmer that is not FTDI's
  // ("D0/CS D1 D2 D3/CLK ...", or "gpiochip0:0..53" beside a GPIO chip's own line names when
  // `lineNames`); empty for the names every programmer takes.
  std::string known;
  bool lineNames = false;
};

struct PinAssignmentParse {
  std::optional<PinAssignment> assignment;  // set on success, not inverted
  PinAssignmentProblem problem;             // which line or pin is wrong, when it failed
};
// Parses "clock=PIN,reset=PIN,data=PIN" in any order; spaces around the parts are allowed. A line
// named twice, a pin used twice, an unknown line or pin, a missing line and the names of two ports
// are errors.
PinAssignmentParse ParsePinAssignment(std::string_view text);
// The same with the pins named as `pinNamed` resolves them (nothing for an unknown pin).
using PinResolver = std::function<std::optional<NamedPin>(std::string_view)>;
PinAssignmentParse ParsePinAssignment(std::string_view text, const PinResolver& pinNamed);

// Why port `port` of a chip cannot take an assignment: the names given are another port's (or the
// chip has no lettered ports), or it lacks pins the assignment names.
struct PinsOnChipProblem {
  FtdiChip chip = FtdiChip::FT232R;
  int port = 0;
  PortNaming naming = PortNaming::Fits;  // Fits when the problem is the missing pins
  PinAssignment pins;
  std::vector<int> missing;  // the pins named that the chip lacks, in clock, reset, data order
};
// Nothing when port `port` of the chip has every pin the assignment names, by the names it takes.
std::optional<PinsOnChipProblem> PinsOnChip(FtdiChip chip, const PinAssignment& pins, int port = 0);

}  // namespace quarrow
