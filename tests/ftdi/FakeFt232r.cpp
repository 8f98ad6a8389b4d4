// SPDX-License-Identifier: GPL-3.0-or-later
// An FTDI chip's side of usbfs for tests (an FT232R unless told otherwise): descriptors in the
// mocked sysfs, and answers to libusb's URBs (string descriptors, FTDI SIO requests, bulk pin
// writes) as the chip gives them.
#include "FakeFt232r.h"

#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quarrow::test {

namespace {

constexpr std::uint8_t kRequestTypeVendorIn = 0xC0;
constexpr std::uint8_t kSioSetBitmode = 0x0B;
constexpr std::uint8_t kSioReadPins = 0x0C;
constexpr std::uint8_t kSioGetLatency = 0x0A;
constexpr std::uint8_t kSioPollModemStatus = 0x05;

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

FakeFt232r::FakeFt232r(Ft232rSpec spec) : spec_(std::move(spec)) {
  SetBusy(spec_.busy);
  if (spec_.promWiring) board_.emplace(spec_.prom, *spec_.promWiring);
}

UsbDeviceFacts FakeFt232r::Facts() const { return {0x0403, spec_.product, spec_.bcdDevice, Descriptors(spec_)}; }

void FakeFt232r::Answer(UsbUrb& urb) {
  usbdevfs_urb& fields = urb.Fields();
  if (fields.type == USBDEVFS_URB_TYPE_CONTROL) {
    AnswerControl(urb);
  } else if (fields.type == USBDEVFS_URB_TYPE_BULK && (fields.endpoint & 0x80) == 0 &&
             fields.endpoint % 2 == 0 && fields.endpoint / 2 <= spec_.interfaces) {
    std::lock_guard lock(mutex_);
    const int port = fields.endpoint / 2 - 1;
    std::vector<std::uint8_t>& written = written_[port];
    if (urb.Length() > 0) written.insert(written.end(), urb.Bytes(), urb.Bytes() + urb.Length());
    // In bit-bang mode the chip puts each byte on the pins in turn.
    for (int i = 0; port == 0 && board_ && i < urb.Length(); ++i) {
      levels_ = urb.Bytes()[i];
      board_->Set(outputs_, levels_);
    }
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

void FakeFt232r::AnswerControl(UsbUrb& urb) {
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
        const std::uint8_t last = written.empty() ? std::uint8_t{0xFF} : written.back();
        reply = {driven_ ? *driven_ : board_ && request.index == 1 ? board_->Pins() : last};
      } else if (request.request == kSioGetLatency) {
        reply = {16};
      } else if (request.request == kSioPollModemStatus) {
        reply = {0x01, 0x60};
      }
    } else if (request.request == kSioSetBitmode && request.index == 1) {
      // The value's low byte is the direction mask, its high byte the mode; mode 0 ends bit-bang
      // and leaves every pin to the UART, an input here.
      outputs_ = (request.value >> 8) == 0 ? 0 : static_cast<std::uint8_t>(request.value & 0xFF);
      if (board_) board_->Set(outputs_, levels_);
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
  return UsbStringDescriptor(text);
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

FakeFt232r& UsbTestbed::Add(Ft232rSpec spec) {
  auto device = std::make_unique<FakeFt232r>(std::move(spec));
  const UsbDeviceFacts facts = device->Facts();
  return bus_.Add(std::move(device), facts);
}

}  // namespace quarrow::test
