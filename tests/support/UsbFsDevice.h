// SPDX-License-Identifier: GPL-3.0-or-later
// A USB device's side of usbfs for tests, under umockdev: the ioctls libusb sends to a device file
// (claims, URBs submitted and reaped, discards) answered in one place, and a mocked bus to plug such
// devices into. A device of a kind derives and answers the URBs. Needs umockdev's preload library
// (run the tests under umockdev-wrapper).
#pragma once

#include <linux/usbdevice_fs.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace quarrow::test {

// A URB as the device received it, with its buffer.
struct UsbUrb {
  UMockdevIoctlData* urb = nullptr;
  UMockdevIoctlData* buffer = nullptr;
  ~UsbUrb();
  usbdevfs_urb& Fields();
  std::uint8_t* Bytes();
  int Length();
};

// The string descriptor of ASCII `text` (index 0 is the language list).
std::vector<std::uint8_t> UsbStringDescriptor(const std::string& text);

class UsbFsDevice {
 public:
  UsbFsDevice();
  virtual ~UsbFsDevice();
  UsbFsDevice(const UsbFsDevice&) = delete;
  UsbFsDevice& operator=(const UsbFsDevice&) = delete;

  UMockdevIoctlBase* Handler() const { return handler_; }
  // Another program holds the interface: claims fail with EBUSY.
  void SetBusy(bool busy);
  int Claims() const;
  // How often the host asked for the kernel driver back (after releasing the interface).
  int DriverReattaches() const;
  // Pulled out: usbfs refuses every request on the files still open with ENODEV.
  void Unplug();

 protected:
  // Fills in the URB's status, length and (for IN transfers) bytes. Runs on umockdev's thread,
  // without the device's lock.
  virtual void Answer(UsbUrb& urb) = 0;
  // Unplug while answering a URB: that URB is still answered, every later request fails.
  void UnplugLocked() { unplugged_ = true; }
  mutable std::mutex mutex_;

 private:
  static int OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
  bool HandleIoctl(UMockdevIoctlClient* client);

  UMockdevIoctlBase* handler_ = nullptr;
  // Answered URBs waiting to be reaped, per open file: usbfs reaps only the opener's own URBs.
  std::map<UMockdevIoctlClient*, std::vector<std::unique_ptr<UsbUrb>>> done_;
  int claims_ = 0;
  int reattaches_ = 0;
  bool busy_ = false;
  bool unplugged_ = false;
};

// What sysfs says of a device plugged into the mocked bus.
struct UsbDeviceFacts {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t release = 0;
  std::vector<std::uint8_t> descriptors;  // device descriptor, then the configuration's
};

// A mocked sysfs and /dev with devices on bus 1, each in a port of the root hub of its own ("1-1",
// "1-2", ...). A device added or removed later is seen by the next scan on a new libusb context.
class MockUsbBus {
 public:
  MockUsbBus();
  ~MockUsbBus();
  MockUsbBus(const MockUsbBus&) = delete;
  MockUsbBus& operator=(const MockUsbBus&) = delete;

  // Plugs `device` into the next port, at the next bus address.
  template <typename Device>
  Device& Add(std::unique_ptr<Device> device, const UsbDeviceFacts& facts) {
    Device& added = *device;
    Plug(std::move(device), facts);
    return added;
  }
  // Unplugs the device; its object stays valid for inspection.
  void Remove(const UsbFsDevice& device);

 private:
  void Plug(std::unique_ptr<UsbFsDevice> device, const UsbDeviceFacts& facts);

  UMockdevTestbed* testbed_ = nullptr;
  std::vector<std::unique_ptr<UsbFsDevice>> devices_;
  std::map<const UsbFsDevice*, std::string> syspaths_;
};

}  // namespace quarrow::test
