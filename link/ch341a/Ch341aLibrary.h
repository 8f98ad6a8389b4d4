// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341A programmers over libusb-1.0, for Linux: the chips (USB 1a86:5512) found on the bus,
// opened by their place on the bus or in the last list, their I/O pins D0..D5 set as outputs or
// inputs, driven and D0..D7 read with the chip's stream commands.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ProgrammerLibrary.h"

struct libusb_context;
struct libusb_device_handle;

namespace quarrow {

inline constexpr std::uint16_t kCh341aUsbVendor = 0x1a86;
inline constexpr std::uint16_t kCh341aUsbProduct = 0x5512;

// One CH341A with its interface claimed, on a libusb context of its own. Closing it (its end)
// releases the interface, which gives it back to any kernel driver it was taken from.
class Ch341aProgrammer final : public IOpenProgrammer {
 public:
  // Takes `ctx` and `handle`, the interface claimed.
  Ch341aProgrammer(libusb_context* ctx, libusb_device_handle* handle);
  ~Ch341aProgrammer() override;
  Ch341aProgrammer(const Ch341aProgrammer&) = delete;
  Ch341aProgrammer& operator=(const Ch341aProgrammer&) = delete;

  // D6 and D7 are inputs on the chip: a mask that asks them to drive is refused (InputOnlyPin)
  // and the directions stay as they were.
  bool SetOutputs(std::uint8_t mask) override;
  bool WritePins(std::uint8_t value) override;
  bool ReadPins(std::uint8_t& value) override;
  // The reads and the write in one stream packet, the levels in one bulk IN: a round trip for the
  // lot, where reads of their own would cost one each.
  bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) override;
  bool ExchangesReadsWithWrite() const override { return true; }
  ProgrammerError LastError() const override;

 private:
  // Reads the pins once for each of `levels`, then drives them to `value` when there is one, in
  // one stream. Returns whether the packet went out whole, and with it the write.
  bool Stream(std::span<std::optional<std::uint8_t>> levels, std::optional<std::uint8_t> value);
  // Sends one stream command; false (with the error recorded as `problem`) when it did not go
  // out whole.
  bool Send(const std::vector<std::uint8_t>& command, ProgrammerProblem problem);
  ProgrammerError Failed(ProgrammerProblem problem, const char* call, int rc);

  // The worker's pin calls and another thread's SetOutputs take turns on the device; the error
  // has a lock of its own, so asking for it never waits for a USB transfer.
  std::mutex usb_;
  libusb_context* ctx_;
  libusb_device_handle* handle_;
  mutable std::mutex errorMutex_;
  ProgrammerError lastError_;
};

class Ch341aLibrary final : public IProgrammerLibrary {
 public:
  std::vector<FoundProgrammer> List() override;
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;

 private:
  ListedProgrammers listed_;  // by bus position
};

}  // namespace quarrow
