// SPDX-License-Identifier: GPL-3.0-or-later
// Discovery of FTDI bit-bang programmers, connecting to one, and the pin port over a connected programmer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "D2xx.h"
#include "FtdiChip.h"
#include "PinAssignment.h"
#include "PinPort.h"

namespace quarrow {

// One entry of the device list. The entry remembers the device it stands for, so that a serial of
// any length, or none at all, still opens the right device.
struct DeviceEntry {
  std::string text;    // serial, " - ", description
  std::string serial;  // the device's whole serial number, possibly empty
  int index = -1;      // position in the library's device list, for devices without a serial
  std::optional<FtdiChip> chip;  // unknown for a serial typed rather than listed
  int port = 0;                  // 0 = port A; B, C, D of a multi-port chip are 1, 2, 3
};

// The attached devices whose chip has asynchronous bit-bang (one entry per interface of a
// multi-port chip), sorted as the window's list sorts them. An FT232R's entry is its serial and
// description; any other chip's entry names the chip before the description.
std::vector<DeviceEntry> EnumerateProgrammers(ID2xx& d2xx);

struct ConnectResult {
  bool ok = false;
  // Why the open or the set-up failed, as a value: the edge says it in words (ConnectionText.h).
  enum class Failure {
    None,
    NoSerial,      // neither a serial number nor a place in the list
    NulInSerial,   // the serial typed holds a zero character
    OpenFailed,    // `call` returned `status`, or no handle when `status` is FT_OK
    SetupFailed,   // `call` returned `status` on the opened device, which is closed again
  };
  Failure failure = Failure::None;
  std::string call;  // FT_OpenEx("SERIAL"), FT_Open(2), FT_SetBitMode ...
  FT_STATUS status = FT_OK;
  std::string error;  // the back end's own words for the failure, when it gave any
  // Refused before the open: the chip lacks a pin the assignment names, or the names are another
  // port's.
  std::optional<PinsOnChipProblem> pinsMissing;
};

// Opens the entry's device and sets it up for bit-bang: the assignment's direction mask,
// asynchronous bit-bang, 300 baud, 2000/1000 ms time-outs, reset. On success stores the handle in
// `handle`; on failure `handle` keeps its earlier value, and a device that opened but could not be
// set up is closed again, the error naming the call that failed and its status. An assignment that
// names a pin the entry's chip does not have is refused before the device is opened.
ConnectResult ConnectProgrammer(ID2xx& d2xx, const DeviceEntry& entry, FT_HANDLE& handle,
                                const PinAssignment& pins = {});

// Whether two entries open the same programmer: by its serial number, or by its place in the list
// when it has none.
bool SameProgrammer(const DeviceEntry& a, const DeviceEntry& b);

// A serial typed by the person rather than chosen from the list.
DeviceEntry EntryForSerial(const std::string& serial);

// The pin port over a connected programmer. Reads the handle afresh at every call.
class CD2xxPinPort : public IPinPort {
 public:
  CD2xxPinPort(ID2xx& d2xx, const FT_HANDLE& handle) : d2xx_(d2xx), handle_(handle) {}
  bool WritePins(std::uint8_t value) override;
  bool ReadPins(std::uint8_t& value) override;

 private:
  ID2xx& d2xx_;
  const FT_HANDLE& handle_;
};

}  // namespace quarrow
