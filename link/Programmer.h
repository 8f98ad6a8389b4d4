// SPDX-License-Identifier: GPL-3.0-or-later
// The list of attached programmers as the window and the command line show it, and connecting to one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FtdiChip.h"
#include "PinAssignment.h"
#include "ProgrammerLibrary.h"
#include "ProgrammerPins.h"

namespace quarrow {

// One entry of the device list. The entry remembers the device it stands for, so that a serial of
// any length, or none at all, still opens the right device.
struct DeviceEntry {
  std::string text;    // serial, " - ", description
  std::string serial;  // the device's whole serial number, possibly empty
  int index = -1;      // position in the library's last list, for devices without a serial
  std::optional<FtdiChip> chip;  // unknown for a serial typed rather than listed
  int port = 0;                  // 0 = port A; B, C, D of a multi-port chip are 1, 2, 3
  std::string family;            // kFtdiFamily ...; empty for a serial typed rather than listed
  std::string model;             // the chip as other families than FTDI name it: "CH341A"
  std::string description;       // the product text, cut as the list shows it
  std::vector<std::string> pinNames;  // D0..D(n-1) under the names the board prints
  std::uint8_t inputOnly = 0;         // pins (bit n: D n) the chip can only read
};

// The attached devices whose chip has asynchronous bit-bang (one entry per interface of a
// multi-port chip), sorted as the window's list sorts them. An FT232R's entry is its serial and
// description; any other chip's entry names the chip before the description.
std::vector<DeviceEntry> EnumerateProgrammers(IProgrammerLibrary& library);

struct ConnectResult {
  bool ok = false;
  // Why the open or the set-up failed, as a value: the edge says it in words (ConnectionText.h).
  enum class Failure {
    None,
    NoSerial,      // neither a serial number nor a place in the list
    NulInSerial,   // the serial typed holds a zero character
    OpenFailed,    // `call` returned `status`, or gave no programmer when `fault` is None
    SetupFailed,   // `call` returned `status` on the opened device, which is closed again
  };
  Failure failure = Failure::None;
  std::string call;  // the library's call, as it names it: ftdi_usb_open_dev, ftdi_set_bitmode ...
  ProgrammerFault fault = ProgrammerFault::None;
  long status = 0;    // the library's own number for the failure
  ProgrammerError error;  // the library's own account of the failure, when it gave any
  // Refused before the open: the chip lacks a pin the assignment names, or the names are another
  // port's.
  std::optional<PinsOnChipProblem> pinsMissing;
  // Refused before the open: the programmer cannot drive a pin the assignment drives, lacks a line
  // it names, or the lines named are another GPIO chip's.
  std::optional<PinsOnProgrammerProblem> pinsRefused;
};

// The wiring the opened programmer's port is driven with: a compact programmer (a GPIO chip) is
// opened with only the wiring's three lines, as clock=D0, reset=D1, data=D2; any other programmer's
// port is wired as the assignment says.
PinAssignment CompactPortWiring(const ProgrammerPins& programmer, const PinAssignment& pins);

// Opens the entry's device set up for bit-bang with the assignment's pins driven (the library's
// set-up). On success stores the open programmer in `opened`; on failure `opened` keeps what it
// held. An assignment that names a pin the entry's programmer does not have, or drives one it can
// only read, is refused before the device is opened. A compact programmer is opened with the lines
// of the assignment (ProgrammerChoice::lines) as its port's D0..D2.
ConnectResult ConnectProgrammer(IProgrammerLibrary& library, const DeviceEntry& entry,
                                std::unique_ptr<IOpenProgrammer>& opened, const PinAssignment& pins = {});

// Whether two entries open the same programmer: by its serial number, or by its place in the list
// when it has none.
bool SameProgrammer(const DeviceEntry& a, const DeviceEntry& b);

// A serial typed by the person rather than chosen from the list.
DeviceEntry EntryForSerial(const std::string& serial);

}  // namespace quarrow
