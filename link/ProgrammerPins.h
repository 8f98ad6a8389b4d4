// SPDX-License-Identifier: GPL-3.0-or-later
// What the tool knows of one programmer's pins, whatever its family: how many it has, the names each
// goes by, and which it can only read. An FTDI chip's come from the chip table; a CH341A's are
// D0..D7 and the names its 25-series socket prints; a GPIO chip's are its lines, by the names the
// chip gives them ("GPIO17") and as CHIP:OFFSET ("gpiochip0:17").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FtdiChip.h"
#include "PinAssignment.h"

namespace quarrow {

struct DeviceEntry;

// The CH341A's D0..D7 as its programmer board names them, one text a pin: "D0/CS", "D1", ...
// the socket's name after the D-number where the pin reaches the socket.
std::vector<std::string> Ch341aPinNames();
// The CH341A's pins that only read: D6 and D7 (bit n: D n).
inline constexpr std::uint8_t kCh341aInputOnly = 0xC0;

struct ProgrammerPins {
  std::string family;            // kFtdiFamily ...; empty for a serial typed rather than listed
  std::optional<FtdiChip> chip;  // the FTDI chip
  int port = 0;                  // the FTDI chip's port
  std::string chipName;          // a GPIO chip's device name ("gpiochip0"), which CHIP:OFFSET names
  std::string model;             // "CH341A", a GPIO chip's label, an FTDI chip's name
  int count = 8;                 // pins (lines) 0..count-1
  std::vector<std::vector<std::string>> names;  // the names of each pin, the one to show first
  std::vector<bool> inputOnly;                  // per pin: it can only be read

  // A GPIO chip has more lines than the opened programmer's byte: it is opened with only the three
  // lines of the wiring, as D0, D1 and D2 of its port.
  bool Compact() const;
  // "GPIO17", "D7/MISO", "TXD": how a person finds the pin on the board.
  std::string NameOf(int pin) const;
  // The pin a name stands for on this programmer, case-insensitive; for an FTDI chip and a
  // CH341A also the names every programmer takes (ParseBoardPinName).
  std::optional<NamedPin> PinNamed(std::string_view name) const;
  bool InputOnly(int pin) const;
  // The wiring as the text --pins and the wiring file take back for this programmer: D-numbers
  // on FTDI chips and the CH341A (as today), CHIP:OFFSET on a GPIO chip.
  std::string Text(const PinAssignment& pins) const;
  // The wiring as people read it: "clock=GPIO17,reset=GPIO27,data=GPIO22".
  std::string ShownText(const PinAssignment& pins) const;
};

// What is known of the pins of the programmer an entry stands for. An entry typed rather than listed
// is taken for an eight-pin programmer with the names every programmer takes.
ProgrammerPins PinsOf(const DeviceEntry& entry);

// Parses "clock=PIN,reset=PIN,data=PIN" with the pins by this programmer's names, as
// ParsePinAssignment does with the names every programmer takes.
PinAssignmentParse ParsePinAssignment(std::string_view text, const ProgrammerPins& programmer);

// Why this programmer cannot take an assignment, before anything is opened.
struct PinsOnProgrammerProblem {
  enum class Kind {
    InputOnly,    // `pin` (for `line`) can only be read, but clock and reset are driven
    NoSuchLine,   // `pin` (for `line`) is beyond the programmer's `count` lines
    OtherChip,    // the pins are named as lines of `namedChip`, not of this programmer
    NoWiring,     // a GPIO chip, and the pins are not named as its lines: nothing says where the PROM is
  };
  Kind kind = Kind::InputOnly;
  std::string model;  // "CH341A", "pinctrl-bcm2835"
  std::string pinName;
  int pin = 0;
  int line = 0;  // as PinLineName numbers them
  int count = 0;
  std::string namedChip;
  std::string chipName;
};
// Nothing when the programmer has every pin the assignment names and can drive clock and reset.
// A GPIO chip takes only a wiring named as its own lines: no line of a header is free on every
// board (a Raspberry Pi's lines 0 and 1 are its HAT EEPROM's bus), so none is driven by default.
// An FTDI chip's pins are checked by PinsOnChip.
std::optional<PinsOnProgrammerProblem> PinsOnProgrammer(const ProgrammerPins& programmer, const PinAssignment& pins);

}  // namespace quarrow
