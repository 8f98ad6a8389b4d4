// SPDX-License-Identifier: GPL-3.0-or-later
// A USB-level CH341A for tests, with an RP5H01 on its pins: it answers the real libusb's URBs as the
// chip does to its UIO stream commands (directions and levels of D0..D5, D0..D7 read), ignores a
// packet that is not a whole well-formed stream, as the chip does, and can be pulled out mid-read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PinAssignment.h"
#include "PromBoard.h"
#include "PromImage.h"
#include "UsbFsDevice.h"

namespace quarrow::test {

struct Ch341aSpec {
  std::string product = "USB UART-LPT";  // empty: the descriptor names no product
  PromImage chip;
  PinAssignment wiring;  // where the PROM's clock, reset and data meet D0..D7
  int unplugAtRead = -1;  // pulled out while answering this pin read (0 = first); negative: never
};

class FakeCh341a final : public UsbFsDevice {
 public:
  explicit FakeCh341a(Ch341aSpec spec);

  // What sysfs says of it, for MockUsbBus::Add.
  UsbDeviceFacts Facts() const;
  std::uint8_t Directions() const;  // D5..D0, 1 = output
  int IgnoredPackets() const;
  int PinReads() const;

 protected:
  void Answer(UsbUrb& urb) override;

 private:
  void AnswerControl(UsbUrb& urb);
  // Runs one bulk OUT packet if it is a whole UIO stream; false when the chip would ignore it.
  bool RunStreamLocked(const std::uint8_t* bytes, int length);

  Ch341aSpec spec_;
  PromBoard board_;
  std::uint8_t directions_ = 0;  // after power-up every pin is an input
  std::uint8_t levels_ = 0;
  std::vector<std::uint8_t> answers_;  // pin levels waiting for a bulk IN
  int ignored_ = 0;
  int reads_ = 0;
};

// Plugs a CH341A into the next port of `bus`.
FakeCh341a& PlugCh341a(MockUsbBus& bus, Ch341aSpec spec = {});

}  // namespace quarrow::test
