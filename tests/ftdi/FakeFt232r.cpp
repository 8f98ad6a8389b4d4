// SPDX-License-Identifier: GPL-3.0-or-later
// An FTDI chip's side of usbfs for tests (an FT232R unless told otherwise): descriptors in the mocked sysfs, and an ioctl handler that
// answers libusb's URBs (string descriptors, FTDI SIO requests, bulk pin writes) as the chip does.
#include "FakeFt232r.h"

#include <linux/usbdevice_fs.h>
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

constexpr std::uint8_t kRequestTypeVendorIn = 0xC0;
constexpr std::uint8_t kSioReadPins = 0x0C;
constexpr std::uint8_t kSioGetLatency = 0x0A;
constexpr std::uint8_t kSioPollModemStatus = 0x05;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (std::uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    text += digits;
  }
  return text;
}

std::vector<std::uint8_t> Descriptors(const Ft232rSpec& spec) {
  const std::uint8_t serialIndex = spec.serial || spec.serialStalls ? 3 : 0;
  const auto ports = static_cast<std::uint8_t>(spec.interfaces);
  const auto total = static_cast<std::uint8_t>(9 + 23 * ports);
  std::vector<std::uint8_t> bytes = {
      // device: USB 2.0, EP0 8 bytes, 0403:product, strings 1/2/3, one configuration
      0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x08, 0x03, 0x04,
      static_cast<std::uint8_t>(spec.product & 0xFF),
      static_cast<std::uint8_t>(spec.product >> 8),
      static_cast<std::uint8_t>(spec.bcdDevice & 0xFF),
      static_cast<std::uint8_t>(spec.bcdDevice >> 8),
      0x01, 0x02, serialIndex, 0x01,
      // configuration 1: one interface per port, bus powered, 90 mA
      0x09, 0x02, total, 0x00, ports, 0x01, 0x00, 0xA0, 0x2D,
  };
  for (std::uint8_t port = 0; port < ports; ++port) {
    // interface `port`: vendor class, two bulk endpoints (FTDI numbers them 0x81/0x02, 0x83/0x04...)
    const std::initializer_list<std::uint8_t> interface = {
        0x09, 0x04, port, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0x02,
        0x07, 0x05, static_cast<std::uint8_t>(0x81 + 2 * port), 0x02, 0x40, 0x00, 0x00,
        0x07, 0x05, static_cast<std::uint8_t>(0x02 + 2 * port), 0x02, 0x40, 0x00, 0x00};
    bytes.insert(bytes.end(), interface);
  }
  return bytes;
}

}  // namespace

struct FakeFt232r::Urb {
  UMockdevIoctlData* urb = nullptr;
  UMockdevIoctlData* buffer = nullptr;
  ~Urb() {
    if (buffer) g_object_unref(buffer);
    if (urb) g_object_unref(urb);
  }
  usbdevfs_urb& Fields() { return *reinterpret_cast<usbdevfs_urb*>(urb->data); }
  std::uint8_t* Bytes() { return buffer ? buffer->data : nullptr; }
  int Length() { return buffer ? buffer->data_len : 0; }
};

FakeFt232r::FakeFt232r(Ft232rSpec spec, std::string devnode)
    : spec_(std::move(spec)), devnode_(std::move(devnode)) {
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&FakeFt232r::OnIoctl), this);
}

FakeFt232r::~FakeFt232r() {
  // umockdev's worker thread handles the ioctls under the mutex and answers the program over a
  // socket that ThreadSanitizer cannot see: taking the mutex here orders the last ioctl's handling
  // before the fake goes.
  { std::lock_guard lock(mutex_); }
  g_signal_handlers_disconnect_by_data(handler_, this);
  g_object_unref(handler_);
}

int FakeFt232r::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
  return static_cast<FakeFt232r*>(self)->HandleIoctl(client);
}

bool FakeFt232r::HandleIoctl(UMockdevIoctlClient* client) {
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
  {
    std::lock_guard lock(mutex_);
    if (unplugged_) {
      if (data) g_object_unref(data);
      umockdev_ioctl_client_complete(client, -1, ENODEV);
      return true;
    }
  }

  switch (request) {
    case USBDEVFS_GET_CAPABILITIES:
      *reinterpret_cast<std::uint32_t*>(data->data) =
          USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
      break;
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM: {
      std::lock_guard lock(mutex_);
      if (spec_.busy) {
        result = -1;
        err = EBUSY;
      } else {
        ++claims_;
      }
      break;
    }
    case USBDEVFS_IOCTL: {
      // libusb's request to bind the kernel driver again after releasing the interface.
      const auto* command = reinterpret_cast<const usbdevfs_ioctl*>(data->data);
      if (command->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
        std::lock_guard lock(mutex_);
        ++reattaches_;
      }
      break;
    }
    case USBDEVFS_GETDRIVER:
      result = -1;
      err = ENODATA;
      break;
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_RESET:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
    case USBDEVFS_SETCONFIGURATION:
      break;
    case USBDEVFS_SUBMITURB: {
      auto urb = std::make_unique<Urb>();
      urb->urb = data;
      data = nullptr;
      const std::size_t offset = offsetof(usbdevfs_urb, buffer);
      const int length = urb->Fields().buffer_length;
      urb->buffer = length > 0 ? umockdev_ioctl_data_resolve(urb->urb, offset, length, &error)
                               : nullptr;
      if (error) {
        g_error_free(error);
        result = -1;
        err = EFAULT;
        break;
      }
      Answer(*urb);
      std::lock_guard lock(mutex_);
      done_[client].push_back(std::move(urb));
      break;
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
      std::unique_ptr<Urb> urb;
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

void FakeFt232r::Answer(Urb& urb) {
  usbdevfs_urb& fields = urb.Fields();
  fields.status = 0;
  fields.actual_length = 0;
  if (fields.type == USBDEVFS_URB_TYPE_CONTROL) {
    AnswerControl(urb);
  } else if (fields.type == USBDEVFS_URB_TYPE_BULK && (fields.endpoint & 0x80) == 0 &&
             fields.endpoint % 2 == 0 && fields.endpoint / 2 <= spec_.interfaces) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t>& written = written_[fields.endpoint / 2 - 1];
    if (urb.Length() > 0) written.insert(written.end(), urb.Bytes(), urb.Bytes() + urb.Length());
    fields.actual_length = urb.Length();
  } else if (fields.type == USBDEVFS_URB_TYPE_BULK && (fields.endpoint & 0x80) != 0 &&
             fields.endpoint % 2 == 1 && (fields.endpoint & 0x7F) / 2 < spec_.interfaces &&
             urb.Length() >= 2) {
    // Nothing received: every IN packet starts with the two modem status bytes.
    urb.Bytes()[0] = 0x01;
    urb.Bytes()[1] = 0x60;
    fields.actual_length = 2;
  } else {
    fields.status = -EPIPE;
  }
}

void FakeFt232r::AnswerControl(Urb& urb) {
  usbdevfs_urb& fields = urb.Fields();
  std::uint8_t* setup = urb.Bytes();
  if (urb.Length() < 8) {
    fields.status = -EPIPE;
    return;
  }
  const ControlRequest request{setup[0], setup[1],
                               static_cast<std::uint16_t>(setup[2] | setup[3] << 8),
                               static_cast<std::uint16_t>(setup[4] | setup[5] << 8)};
  const std::size_t room = static_cast<std::size_t>(urb.Length() - 8);
  std::vector<std::uint8_t> reply;

  if ((request.requestType & 0x60) == 0x40) {
    std::lock_guard lock(mutex_);
    vendor_.push_back(request);
    if (request.requestType == kRequestTypeVendorIn) {
      if (request.request == kSioReadPins) {
        // The index names the port: 1 for interface A.
        const std::vector<std::uint8_t>& written = written_[request.index - 1];
        reply = {driven_ ? *driven_ : (written.empty() ? std::uint8_t{0xFF} : written.back())};
      } else if (request.request == kSioGetLatency) {
        reply = {16};
      } else if (request.request == kSioPollModemStatus) {
        reply = {0x01, 0x60};
      }
    }
  } else if (request.requestType == 0x80 && request.request == 0x06 && (request.value >> 8) == 3) {
    bool stall = false;
    reply = StringDescriptor(static_cast<std::uint8_t>(request.value & 0xFF), stall);
    if (stall) {
      fields.status = -EPIPE;
      return;
    }
  } else {
    fields.status = -EPIPE;
    return;
  }
  const std::size_t n = std::min(room, reply.size());
  if (n > 0) std::memcpy(setup + 8, reply.data(), n);
  fields.actual_length = static_cast<int>(n);
}

std::vector<std::uint8_t> FakeFt232r::StringDescriptor(std::uint8_t index, bool& stall) const {
  std::string text;
  switch (index) {
    case 0: return {0x04, 0x03, 0x09, 0x04};  // language: English (US)
    case 1: text = "FTDI"; break;
    case 2: text = spec_.description; break;
    case 3:
      if (spec_.serialStalls || !spec_.serial) {
        stall = true;
        return {};
      }
      text = *spec_.serial;
      break;
    default: stall = true; return {};
  }
  text.resize(std::min<std::size_t>(text.size(), 126));
  std::vector<std::uint8_t> desc{static_cast<std::uint8_t>(2 + 2 * text.size()), 0x03};
  for (char c : text) {
    desc.push_back(static_cast<std::uint8_t>(c));
    desc.push_back(0);
  }
  return desc;
}

std::vector<ControlRequest> FakeFt232r::VendorRequests() const {
  std::lock_guard lock(mutex_);
  return vendor_;
}

std::vector<std::uint8_t> FakeFt232r::BulkWritten(int port) const {
  std::lock_guard lock(mutex_);
  auto it = written_.find(port);
  return it == written_.end() ? std::vector<std::uint8_t>{} : it->second;
}

void FakeFt232r::DrivePins(std::uint8_t levels) {
  std::lock_guard lock(mutex_);
  driven_ = levels;
}

int FakeFt232r::Claims() const {
  std::lock_guard lock(mutex_);
  return claims_;
}

int FakeFt232r::DriverReattaches() const {
  std::lock_guard lock(mutex_);
  return reattaches_;
}

void FakeFt232r::Unplug() {
  std::lock_guard lock(mutex_);
  unplugged_ = true;
}

UsbTestbed::UsbTestbed() {
  const char* preload = std::getenv("LD_PRELOAD");
  if (!preload || !std::strstr(preload, "libumockdev-preload")) {
    throw std::runtime_error("the USB tests need umockdev's preload library: run them under "
                             "umockdev-wrapper");
  }
  testbed_ = umockdev_testbed_new();
}

UsbTestbed::~UsbTestbed() {
  devices_.clear();
  g_object_unref(testbed_);
}

FakeFt232r& UsbTestbed::Add(Ft232rSpec spec) {
  const int number = static_cast<int>(devices_.size()) + 1;
  const int devnum = number + 1;  // address 1 is the root hub
  char node[32];
  std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", devnum);
  char hexRelease[8];
  std::snprintf(hexRelease, sizeof hexRelease, "%04x", spec.bcdDevice);
  char hexProduct[8];
  std::snprintf(hexProduct, sizeof hexProduct, "%04x", spec.product);

  const std::string devpath = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number);
  const std::string description =
      "P: " + devpath + "\n" +
      "N: " + std::string(node + 5) + "\n" +
      "E: DEVNAME=" + node + "\n" +
      "E: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\n" +
      "E: BUSNUM=001\nE: DEVNUM=" + std::string(node + 17) + "\n" +
      "A: busnum=1\nA: devnum=" + std::to_string(devnum) + "\n" +
      "A: idVendor=0403\nA: idProduct=" + hexProduct + "\nA: bcdDevice=" + hexRelease + "\n" +
      "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: speed=12\n" +
      "H: descriptors=" + Hex(Descriptors(spec)) + "\n";

  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
    std::string text = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    throw std::runtime_error("umockdev rejected the device description: " + text);
  }
  auto device = std::make_unique<FakeFt232r>(std::move(spec), node);
  if (!umockdev_testbed_attach_ioctl(testbed_, node, device->Handler(), &error)) {
    std::string text = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    throw std::runtime_error("umockdev cannot attach the USB handler: " + text);
  }
  syspaths_[device.get()] = "/sys" + devpath;
  devices_.push_back(std::move(device));
  return *devices_.back();
}

void UsbTestbed::Remove(const FakeFt232r& device) {
  umockdev_testbed_remove_device(testbed_, syspaths_.at(&device).c_str());
  for (auto& owned : devices_) {
    if (owned.get() == &device) owned->Unplug();
  }
}

}  // namespace quarrow::test
