// SPDX-License-Identifier: GPL-3.0-or-later
// Discovery of FT232R programmers, connecting to one, and the pin port over a connected programmer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "D2xx.h"
#include "PinPort.h"

namespace quarrow {

// One entry of the device list. The entry remembers the device it stands for, so that a serial of
// any length, or none at all, still opens the right device.
struct DeviceEntry {
  std::string text;    // serial, " - ", description
  std::string serial;  // the device's whole serial number, possibly empty
  int index = -1;      // position in the library's device list, for devices without a serial
};

// The attached FT232R devices (Type 5 only), sorted as the window's list sorts them.
std::vector<DeviceEntry> EnumerateProgrammers(ID2xx& d2xx);

struct ConnectResult {
  bool ok = false;
  std::string error;  // the back end's own words when the open failed
};

// Opens the entry's device and sets it up for bit-bang: all pins outputs, asynchronous bit-bang,
// 300 baud, 2000/1000 ms time-outs, reset. On success stores the handle in `handle`; on failure
// `handle` keeps its earlier value, and a device that opened but could not be set up is closed
// again, the error naming the call that failed and its status.
ConnectResult ConnectProgrammer(ID2xx& d2xx, const DeviceEntry& entry, FT_HANDLE& handle);

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
