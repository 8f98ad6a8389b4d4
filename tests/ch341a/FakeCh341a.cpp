// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeCh341a.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace quarrow::test {

namespace {

constexpr std::uint8_t kProductString = 2;

// USB 1.1, vendor class, EP0 8 bytes, 1a86:5512 release 3.04, the product string at index 2 when
// there is one and no serial; one interface with bulk IN 0x82, bulk OUT 0x02 (32 bytes each) and
// interrupt IN 0x81, as the chip describes itself.
std::vector<std::uint8_t> Descriptors(bool hasProduct) {
  return {0x12, 0x01, 0x10, 0x01, 0xFF, 0x00, 0x00, 0x08, 0x86, 0x1A, 0x12, 0x55, 0x04, 0x03, 0x00,
          hasProduct ? kProductString : std::uint8_t{0}, 0x00, 0x01,
          0x09, 0x02, 0x27, 0x00, 0x01, 0x01, 0x00, 0x80, 0x30,
          0x09, 0x04, 0x00, 0x00, 0x03, 0xFF, 0x01, 0x02, 0x00,
          0x07, 0x05, 0x82, 0x02, 0x20, 0x00, 0x00,
          0x07, 0x05, 0x02, 0x02, 0x20, 0x00, 0x00,
          0x07, 0x05, 0x81, 0x03, 0x08, 0x00, 0x01};
}

}  // namespace

FakeCh341a::FakeCh341a(Ch341aSpec spec)
    : spec_(std::move(spec)), board_(spec_.chip, spec_.wiring, kCh341aDrivenPins) {}

FakeCh341a& PlugCh341a(MockUsbBus& bus, Ch341aSpec spec) {
  auto device = std::make_unique<FakeCh341a>(std::move(spec));
  const UsbDeviceFacts facts = device->Facts();
  return bus.Add(std::move(device), facts);
}

UsbDeviceFacts FakeCh341a::Facts() const {
  return {0x1a86, 0x5512, 0x0304, Descriptors(!spec_.product.empty())};
}

std::uint8_t FakeCh341a::Directions() const {
  std::lock_guard lock(mutex_);
  return directions_;
}

int FakeCh341a::IgnoredPackets() const {
  std::lock_guard lock(mutex_);
  return ignored_;
}

int FakeCh341a::PinReads() const {
  std::lock_guard lock(mutex_);
  return reads_;
}

void FakeCh341a::Answer(UsbUrb& urb) {
  usbdevfs_urb& fields = urb.Fields();
  if (fields.type == USBDEVFS_URB_TYPE_CONTROL) return AnswerControl(urb);
  std::lock_guard lock(mutex_);
  if (fields.type == USBDEVFS_URB_TYPE_BULK && fields.endpoint == 0x02) {
    if (!RunStreamLocked(urb.Bytes(), urb.Length())) ++ignored_;
    fields.actual_length = urb.Length();  // the chip takes the packet either way
  } else if (fields.type == USBDEVFS_URB_TYPE_BULK && fields.endpoint == 0x82) {
    // With nothing to send the chip would let the transfer time out; an empty packet stands in.
    const std::size_t n = std::min(answers_.size(), static_cast<std::size_t>(urb.Length()));
    if (n > 0) std::memcpy(urb.Bytes(), answers_.data(), n);
    answers_.erase(answers_.begin(), answers_.begin() + static_cast<std::ptrdiff_t>(n));
    fields.actual_length = static_cast<int>(n);
  } else {
    fields.status = -EPIPE;
  }
}

void FakeCh341a::AnswerControl(UsbUrb& urb) {
  usbdevfs_urb& fields = urb.Fields();
  std::uint8_t* setup = urb.Bytes();
  if (urb.Length() < 8 || setup[0] != 0x80 || setup[1] != 0x06 || setup[3] != 3) {
    fields.status = -EPIPE;
    return;
  }
  std::vector<std::uint8_t> reply;
  if (setup[2] == 0) {
    reply = {0x04, 0x03, 0x09, 0x04};  // language: English (US)
  } else if (setup[2] == kProductString && !spec_.product.empty()) {
    reply = UsbStringDescriptor(spec_.product);
  } else {
    fields.status = -EPIPE;
    return;
  }
  const std::size_t n = std::min(reply.size(), static_cast<std::size_t>(urb.Length() - 8));
  std::memcpy(setup + 8, reply.data(), n);
  fields.actual_length = static_cast<int>(n);
}

// A stream is 0xAB, sub-commands, then 0x20: 0x00 reads D7..D0, 0x40|bits sets the directions of
// D5..D0, 0x80|bits their levels, 0xC0|n waits n microseconds. Anything else in the stream, or a
// stream without its end, and the chip does nothing with the packet.
bool FakeCh341a::RunStreamLocked(const std::uint8_t* bytes, int length) {
  if (length < 2 || bytes[0] != 0xAB) return false;
  int end = 1;
  while (end < length && bytes[end] != 0x20) {
    const std::uint8_t kind = bytes[end] & 0xC0;
    if (kind == 0x00 && bytes[end] != 0x00) return false;
    ++end;
  }
  if (end == length) return false;
  for (int i = 1; i < end; ++i) {
    const std::uint8_t command = bytes[i];
    const auto bits = static_cast<std::uint8_t>(command & 0x3F);
    if ((command & 0xC0) == 0x40) directions_ = bits;
    if ((command & 0xC0) == 0x80) levels_ = bits;
    board_.Set(directions_, levels_);
    if (command == 0x00) {
      answers_.push_back(board_.Pins());
      if (reads_++ == spec_.unplugAtRead) UnplugLocked();
    }
  }
  return true;
}

}  // namespace quarrow::test
