// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsbFsDevice.h"

#include <sys/ioctl.h>
#include <umockdev.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quarrow::test {

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (std::uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    text += digits;
  }
  return text;
}

[[noreturn]] void Throw(const char* what, GError* error) {
  std::string text = error ? error->message : "unknown error";
  if (error) g_error_free(error);
  throw std::runtime_error(std::string(what) + ": " + text);
}

}  // namespace

UsbUrb::~UsbUrb() {
  if (buffer) g_object_unref(buffer);
  if (urb) g_object_unref(urb);
}
usbdevfs_urb& UsbUrb::Fields() { return *reinterpret_cast<usbdevfs_urb*>(urb->data); }
std::uint8_t* UsbUrb::Bytes() { return buffer ? buffer->data : nullptr; }
int UsbUrb::Length() { return buffer ? static_cast<int>(buffer->data_len) : 0; }

std::vector<std::uint8_t> UsbStringDescriptor(const std::string& text) {
  const std::string cut = text.substr(0, 126);
  std::vector<std::uint8_t> desc{static_cast<std::uint8_t>(2 + 2 * cut.size()), 0x03};
  for (char c : cut) {
    desc.push_back(static_cast<std::uint8_t>(c));
    desc.push_back(0);
  }
  return desc;
}

UsbFsDevice::UsbFsDevice() {
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&UsbFsDevice::OnIoctl), this);
}

UsbFsDevice::~UsbFsDevice() {
  // umockdev's worker thread handles the ioctls under the mutex: taking it here orders the last
  // ioctl's handling before the device goes.
  { std::lock_guard lock(mutex_); }
  g_signal_handlers_disconnect_by_data(handler_, this);
  g_object_unref(handler_);
}

void UsbFsDevice::SetBusy(bool busy) {
  std::lock_guard lock(mutex_);
  busy_ = busy;
}

int UsbFsDevice::Claims() const {
  std::lock_guard lock(mutex_);
  return claims_;
}

int UsbFsDevice::DriverReattaches() const {
  std::lock_guard lock(mutex_);
  return reattaches_;
}

void UsbFsDevice::Unplug() {
  std::lock_guard lock(mutex_);
  unplugged_ = true;
}

int UsbFsDevice::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
  return static_cast<UsbFsDevice*>(self)->HandleIoctl(client);
}

bool UsbFsDevice::HandleIoctl(UMockdevIoctlClient* client) {
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  const std::size_t size = _IOC_SIZE(request);
  GError* error = nullptr;
  UMockdevIoctlData* data = size ? umockdev_ioctl_data_resolve(arg, 0, size, &error) : nullptr;
  if (error) {
    g_error_free(error);
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return true;
  }
  long result = 0;
  int err = 0;
  // URBs answered before the device went can still be reaped, as usbfs lets them be.
  const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
  {
    std::lock_guard lock(mutex_);
    if (unplugged_ && !(reap && !done_[client].empty())) {
      if (data) g_object_unref(data);
      umockdev_ioctl_client_complete(client, -1, ENODEV);
      return true;
    }
  }
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES:
      *reinterpret_cast<std::uint32_t*>(data->data) = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
      break;
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM: {
      std::lock_guard lock(mutex_);
      if (busy_) {
        result = -1;
        err = EBUSY;
      } else {
        ++claims_;
      }
      break;
    }
    case USBDEVFS_GETDRIVER:
      result = -1;
      err = ENODATA;
      break;
    case USBDEVFS_IOCTL: {
      // libusb's request to bind the kernel driver again after releasing the interface.
      const auto* command = reinterpret_cast<const usbdevfs_ioctl*>(data->data);
      if (command->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
        std::lock_guard lock(mutex_);
        ++reattaches_;
      }
      break;
    }
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_RESET:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
    case USBDEVFS_SETCONFIGURATION:
      break;
    case USBDEVFS_SUBMITURB: {
      auto urb = std::make_unique<UsbUrb>();
      urb->urb = data;
      data = nullptr;
      const int length = urb->Fields().buffer_length;
      urb->buffer = length > 0 ? umockdev_ioctl_data_resolve(urb->urb, offsetof(usbdevfs_urb, buffer),
                                                             static_cast<std::size_t>(length), &error)
                               : nullptr;
      if (error) {
        g_error_free(error);
        result = -1;
        err = EFAULT;
        break;
      }
      urb->Fields().status = 0;
      urb->Fields().actual_length = 0;
      Answer(*urb);
      std::lock_guard lock(mutex_);
      done_[client].push_back(std::move(urb));
      break;
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
      std::unique_ptr<UsbUrb> urb;
      {
        std::lock_guard lock(mutex_);
        auto& queue = done_[client];
        if (!queue.empty()) {
          urb = std::move(queue.front());
          queue.erase(queue.begin());
        }
      }
      if (!urb) {
        result = -1;
        err = EAGAIN;
        break;
      }
      umockdev_ioctl_data_set_ptr(data, 0, urb->urb);
      break;
    }
    case USBDEVFS_DISCARDURB:
      result = -1;
      err = EINVAL;  // every URB is answered at once, so none is ever in flight
      break;
    default:
      result = -1;
      err = ENOTTY;
      break;
  }
  if (data) g_object_unref(data);
  umockdev_ioctl_client_complete(client, result, err);
  return true;
}

MockUsbBus::MockUsbBus() {
  const char* preload = std::getenv("LD_PRELOAD");
  if (!preload || !std::strstr(preload, "libumockdev-preload")) {
    throw std::runtime_error("the USB tests need umockdev's preload library: run them under umockdev-wrapper");
  }
  testbed_ = umockdev_testbed_new();
}

MockUsbBus::~MockUsbBus() {
  devices_.clear();
  g_object_unref(testbed_);
}

void MockUsbBus::Plug(std::unique_ptr<UsbFsDevice> device, const UsbDeviceFacts& facts) {
  const int number = static_cast<int>(devices_.size()) + 1;
  const int devnum = number + 1;  // address 1 is the root hub
  char node[32];
  std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", devnum);
  char ids[64];
  std::snprintf(ids, sizeof ids, "A: idVendor=%04x\nA: idProduct=%04x\nA: bcdDevice=%04x\n", facts.vendor,
                facts.product, facts.release);
  const std::string devpath = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number);
  const std::string description = "P: " + devpath + "\nN: " + std::string(node + 5) + "\nE: DEVNAME=" + node +
                                  "\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\n"
                                  "E: BUSNUM=001\nE: DEVNUM=" + std::string(node + 17) +
                                  "\nA: busnum=1\nA: devnum=" + std::to_string(devnum) + "\n" + ids +
                                  "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: speed=12\n"
                                  "H: descriptors=" + Hex(facts.descriptors) + "\n";
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
    Throw("umockdev rejected the device description", error);
  }
  if (!umockdev_testbed_attach_ioctl(testbed_, node, device->Handler(), &error)) {
    Throw("umockdev cannot attach the USB handler", error);
  }
  syspaths_[device.get()] = "/sys" + devpath;
  devices_.push_back(std::move(device));
}

void MockUsbBus::Remove(const UsbFsDevice& device) {
  umockdev_testbed_remove_device(testbed_, syspaths_.at(&device).c_str());
  for (auto& owned : devices_) {
    if (owned.get() == &device) owned->Unplug();
  }
}

}  // namespace quarrow::test
