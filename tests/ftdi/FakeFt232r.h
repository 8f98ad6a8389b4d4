// SPDX-License-Identifier: GPL-3.0-or-later
// A USB-level FT232R for tests: umockdev's sysfs and usbfs stand-ins answer the real libusb and
// libftdi as an FT232R would, and record what the host sent. Needs umockdev's preload library
// (run the tests under umockdev-wrapper).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PinAssignment.h"
#include "PromBoard.h"
#include "PromImage.h"
#include "UsbFsDevice.h"

namespace quarrow::test {

struct Ft232rSpec {
  std::optional<std::string> serial = "A1B2C3D4";  // nullopt: the descriptor has no serial string
  bool serialStalls = false;  // a serial string index whose read the device refuses
  std::string description = "FT232R USB UART";
  std::uint16_t bcdDevice = 0x0600;
  // Another FTDI chip: its product id (0x6010 FT2232C/D/H, 0x6011 FT4232H, 0x6014 FT232H, 0x6015
  // FT-X) with its bcdDevice, and its number of ports (interfaces A, B, ...).
  std::uint16_t product = 0x6001;
  int interfaces = 1;
  bool busy = false;  // another program holds the interface: claims fail with EBUSY
  // An RP5H01 on port A's pins, wired as this says; without one a pin read gives the last byte
  // written.
  std::optional<PinAssignment> promWiring;
  PromImage prom;
};

// A control request as the device received it.
struct ControlRequest {
  std::uint8_t requestType = 0;
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  bool operator==(const ControlRequest&) const = default;
};

class FakeFt232r final : public UsbFsDevice {
 public:
  explicit FakeFt232r(Ft232rSpec spec);

  // What sysfs says of it, for MockUsbBus::Add.
  UsbDeviceFacts Facts() const;
  // Vendor-type requests (FTDI SIO commands) in the order received.
  std::vector<ControlRequest> VendorRequests() const;
  // The bytes written to the pins of one port (0: interface A).
  std::vector<std::uint8_t> BulkWritten(int port = 0) const;
  // Levels reported to a pin read: by default the last byte written to the pins.
  void DrivePins(std::uint8_t levels);

 protected:
  void Answer(UsbUrb& urb) override;

 private:
  void AnswerControl(UsbUrb& urb);
  std::vector<std::uint8_t> StringDescriptor(std::uint8_t index, bool& stall) const;

  Ft232rSpec spec_;
  std::vector<ControlRequest> vendor_;
  std::map<int, std::vector<std::uint8_t>> written_;  // per port
  std::optional<std::uint8_t> driven_;
  std::optional<PromBoard> board_;
  std::uint8_t outputs_ = 0;  // port A's bit-bang direction mask
  std::uint8_t levels_ = 0;   // as last written to port A
};

// A mocked sysfs and /dev with FTDI chips on bus 1 (MockUsbBus, which takes other kinds of devices
// too). A device added or removed later is seen by the next scan of the bus on a new libusb context.
class UsbTestbed {
 public:
  // Each device gets the next bus address, as a real bus gives a re-plugged device a new one.
  FakeFt232r& Add(Ft232rSpec spec);
  // Unplugs the device; its object stays valid for inspection.
  void Remove(const FakeFt232r& device) { bus_.Remove(device); }
  MockUsbBus& Bus() { return bus_; }

 private:
  MockUsbBus bus_;
};

}  // namespace quarrow::test
