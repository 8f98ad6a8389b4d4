// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341A programmers over libusb-1.0. Each open programmer has a libusb context of its own;
// listing scans on a new context that only reads descriptors, so it can run while a CH341A is in use.
//
// The chip's commands come from WCH's published material: the command bytes from the header of its
// CH341 DLL (CH341DLL.H: mCH341A_CMD_UIO_STREAM and its mCH341A_CMD_UIO_STM_* sub-commands), the
// endpoints and the 32-byte packet from the CH341 datasheet (CH341DS1). A UIO stream is one bulk
// OUT packet: 0xAB, then sub-commands whose top two bits say what they are and whose low six bits
// carry D5..D0, then 0x20 to end it.
#include "Ch341aLibrary.h"

#include <libusb.h>

#include <algorithm>
#include <optional>

#include "ProgrammerPins.h"

namespace quarrow {

namespace {

constexpr const char* kSource = "libusb";
constexpr const char* kFamily = kCh341aFamily;
constexpr int kInterface = 0;
constexpr unsigned char kBulkOut = 0x02;
constexpr unsigned char kBulkIn = 0x82;
constexpr int kPacketBytes = 32;

constexpr std::uint8_t kUioStream = 0xAB;  // mCH341A_CMD_UIO_STREAM
constexpr std::uint8_t kStmIn = 0x00;      // mCH341A_CMD_UIO_STM_IN: answers one byte, D7..D0
constexpr std::uint8_t kStmDir = 0x40;     // mCH341A_CMD_UIO_STM_DIR: D5..D0, 1 = output
constexpr std::uint8_t kStmOut = 0x80;     // mCH341A_CMD_UIO_STM_OUT: D5..D0 levels
constexpr std::uint8_t kStmEnd = 0x20;     // mCH341A_CMD_UIO_STM_END
constexpr std::uint8_t kDrivablePins = 0x3F;  // D0..D5; D6 and D7 are inputs only
// Reads in one stream beside its start, a write and its end, within the 32-byte packet; each answer
// byte fits the 32-byte bulk IN likewise.
constexpr std::size_t kMostStreamReads = kPacketBytes - 3;

// A packet of a few bytes goes out and comes back within a frame or two (1 ms each at full speed);
// a CH341A that has not answered in a second is not going to, and the read-out then fails rather
// than hangs. The chip's own microsecond delay (mCH341A_CMD_UIO_STM_US) is not used: the read-out
// waits milliseconds between pin operations on the host, far longer than anything the PROM needs
// between an edge and its data settling, and each write is a transfer of its own (with the reads
// held for it ahead of it).
constexpr unsigned kTransferTimeoutMs = 1000;

ProgrammerError Error(ProgrammerProblem problem, std::string subject, std::string words) {
  return {problem, kSource, kFamily, std::move(subject), std::move(words)};
}

// libusb's words for a call that returned `rc`, with the call and libusb's name for the code.
std::string CallWords(const char* call, int rc) {
  return std::string(libusb_strerror(rc)) + " (" + call + " returned " + libusb_error_name(rc) + ")";
}

// The problem a failed open or claim is, as far as the person can act on it.
ProgrammerProblem OpenProblem(int rc) {
  switch (rc) {
    case LIBUSB_ERROR_ACCESS: return ProgrammerProblem::PermissionDenied;
    case LIBUSB_ERROR_BUSY: return ProgrammerProblem::InUse;
    case LIBUSB_ERROR_NO_DEVICE: return ProgrammerProblem::Unplugged;
    default: return ProgrammerProblem::CannotOpen;
  }
}

// A CH341A has no serial number, so its identity is where it is plugged in: the bus and the chain
// of hub ports, "1-2.4" as the kernel names the device in sysfs. It stays the same across runs and
// re-plugs into the same socket, which a bus address (renumbered on every plug) would not, and it
// tells two CH341As apart, which the product string cannot.
std::string BusPosition(libusb_device* dev) {
  std::uint8_t ports[8] = {};
  const int depth = libusb_get_port_numbers(dev, ports, sizeof ports);
  std::string position = std::to_string(libusb_get_bus_number(dev)) + "-";
  if (depth <= 0) return position + "0";
  for (int i = 0; i < depth; ++i) position += (i ? "." : "") + std::to_string(ports[i]);
  return position;
}

// The product string the chip gives, or the family when it gives none or may not be opened.
std::string Description(libusb_device* dev, const libusb_device_descriptor& desc) {
  libusb_device_handle* handle = nullptr;
  std::string description;
  if (desc.iProduct != 0 && libusb_open(dev, &handle) == 0) {
    unsigned char text[128] = {};
    const int n = libusb_get_string_descriptor_ascii(handle, desc.iProduct, text, sizeof text);
    if (n > 0) description.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n));
    libusb_close(handle);
  }
  return description.empty() ? kFamily : description;
}

// One CH341A found on the bus, with a reference on its libusb device.
struct Found {
  libusb_device* dev = nullptr;
  FoundProgrammer programmer;
};

// A look at the bus as it is now, on a new libusb context, which an open goes on with: a context
// kept from an earlier scan would learn of re-plugged programmers only through hotplug events,
// which a system without udev, or a container, never delivers.
class Scan {
 public:
  Scan() {
    int rc = libusb_init(&ctx_);
    if (rc != 0) {
      ctx_ = nullptr;
      error = Error(ProgrammerProblem::LibraryUnusable, "", CallWords("libusb_init", rc));
      status = rc;
      return;
    }
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(ctx_, &devices);
    if (count < 0) {
      error = Error(ProgrammerProblem::ListFailed, "", CallWords("libusb_get_device_list", static_cast<int>(count)));
      status = count;
      return;
    }
    for (ssize_t i = 0; i < count; ++i) Add(devices[i]);
    libusb_free_device_list(devices, 1);
  }
  ~Scan() {
    for (Found& f : found) libusb_unref_device(f.dev);
    if (ctx_) libusb_exit(ctx_);
  }
  Scan(const Scan&) = delete;
  Scan& operator=(const Scan&) = delete;

  // Hands the context to whoever closes the device opened on it; the found devices' references
  // are dropped first, as they belong to it.
  libusb_context* TakeContext() {
    for (Found& f : found) libusb_unref_device(f.dev);
    found.clear();
    libusb_context* ctx = ctx_;
    ctx_ = nullptr;
    return ctx;
  }

  std::vector<Found> found;
  ProgrammerError error;
  long status = 0;

 private:
  void Add(libusb_device* dev) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(dev, &desc) != 0) return;
    if (desc.idVendor != kCh341aUsbVendor || desc.idProduct != kCh341aUsbProduct) return;
    Found f;
    f.dev = libusb_ref_device(dev);
    f.programmer.family = kFamily;
    f.programmer.serial = BusPosition(dev);
    f.programmer.description = Description(dev, desc);
    f.programmer.model = "CH341A";
    f.programmer.pinNames = Ch341aPinNames();
    f.programmer.inputOnly = kCh341aInputOnly;
    found.push_back(std::move(f));
  }

  libusb_context* ctx_ = nullptr;
};

// The first pin of `mask` the chip cannot drive, by its name; empty when it can drive them all.
std::string InputOnlyPinOf(std::uint8_t mask) {
  for (int pin = 6; pin < 8; ++pin) {
    if (mask & (1u << pin)) return "D" + std::to_string(pin);
  }
  return {};
}

}  // namespace

Ch341aProgrammer::Ch341aProgrammer(libusb_context* ctx, libusb_device_handle* handle)
    : ctx_(ctx), handle_(handle) {}

Ch341aProgrammer::~Ch341aProgrammer() {
  // Releasing the interface is where libusb re-attaches a kernel driver it detached on claim.
  libusb_release_interface(handle_, kInterface);
  libusb_close(handle_);
  libusb_exit(ctx_);
}

ProgrammerError Ch341aProgrammer::Failed(ProgrammerProblem problem, const char* call, int rc) {
  ProgrammerError error = Error(rc == LIBUSB_ERROR_NO_DEVICE ? ProgrammerProblem::Unplugged : problem, "",
                                CallWords(call, rc));
  std::lock_guard lock(errorMutex_);
  lastError_ = error;
  return error;
}

ProgrammerError Ch341aProgrammer::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

bool Ch341aProgrammer::Send(const std::vector<std::uint8_t>& command, ProgrammerProblem problem) {
  std::vector<std::uint8_t> packet = command;
  int sent = 0;
  const int rc = libusb_bulk_transfer(handle_, kBulkOut, packet.data(), static_cast<int>(packet.size()), &sent,
                                      kTransferTimeoutMs);
  if (rc != 0) {
    Failed(problem, "libusb_bulk_transfer", rc);
    return false;
  }
  // A packet cut short would leave the stream without its end: the pins would not have changed.
  if (sent != static_cast<int>(packet.size())) {
    std::lock_guard lock(errorMutex_);
    lastError_ = {problem, kFamily, kFamily, "",
                  "took " + std::to_string(sent) + " of " + std::to_string(packet.size()) + " bytes"};
    return false;
  }
  return true;
}

bool Ch341aProgrammer::SetOutputs(std::uint8_t mask) {
  if (const std::string pin = InputOnlyPinOf(mask); !pin.empty()) {
    std::lock_guard lock(errorMutex_);
    lastError_ = {ProgrammerProblem::InputOnlyPin, kFamily, kFamily, pin, ""};
    return false;
  }
  std::lock_guard lock(usb_);
  return Send({kUioStream, static_cast<std::uint8_t>(kStmDir | mask), kStmEnd}, ProgrammerProblem::SetupFailed);
}

bool Ch341aProgrammer::WritePins(std::uint8_t value) { return Stream({}, value); }

bool Ch341aProgrammer::ReadPins(std::uint8_t& value) {
  std::optional<std::uint8_t> level;
  Stream({&level, 1}, std::nullopt);
  if (level) value = *level;
  return level.has_value();
}

bool Ch341aProgrammer::ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) {
  if (levels.size() > kMostStreamReads) return IOpenProgrammer::ReadThenWrite(levels, value);
  return Stream(levels, value);
}

// One packet: a read for each of `levels`, then the write when there is one; the chip answers the
// reads in one bulk IN, a byte each, in order. The pins stay as they were until the write, so the
// reads see what reads of their own would have seen.
bool Ch341aProgrammer::Stream(std::span<std::optional<std::uint8_t>> levels, std::optional<std::uint8_t> value) {
  std::fill(levels.begin(), levels.end(), std::nullopt);
  std::vector<std::uint8_t> packet(levels.size() + 1, kStmIn);
  packet.front() = kUioStream;
  // D6 and D7 cannot be driven; their bits in `value` have nowhere to go.
  if (value) packet.push_back(static_cast<std::uint8_t>(kStmOut | (*value & kDrivablePins)));
  packet.push_back(kStmEnd);
  std::lock_guard lock(usb_);
  if (!Send(packet, value ? ProgrammerProblem::PinWriteFailed : ProgrammerProblem::PinReadFailed)) return false;
  if (levels.empty()) return true;
  unsigned char answer[kPacketBytes] = {};
  int got = 0;
  const int rc = libusb_bulk_transfer(handle_, kBulkIn, answer, sizeof answer, &got, kTransferTimeoutMs);
  if (rc != 0) {
    Failed(ProgrammerProblem::PinReadFailed, "libusb_bulk_transfer", rc);
    return true;
  }
  const std::size_t answered = std::min(levels.size(), static_cast<std::size_t>(got));
  for (std::size_t i = 0; i < answered; ++i) levels[i] = answer[i];
  // The reads without their byte have unknown levels; no level is made up.
  if (answered < levels.size()) {
    std::lock_guard errorLock(errorMutex_);
    lastError_ = {ProgrammerProblem::PinReadFailed, kFamily, kFamily, "",
                  "answered " + std::to_string(got) + " of " + std::to_string(levels.size()) + " bytes"};
  }
  return true;
}

ProgrammerError Ch341aLibrary::LastError() const { return listed_.LastError(); }

std::vector<FoundProgrammer> Ch341aLibrary::List() {
  Scan scan;
  std::vector<FoundProgrammer> programmers;
  std::vector<std::string> positions;
  for (const Found& f : scan.found) {
    programmers.push_back(f.programmer);
    positions.push_back(f.programmer.serial);
  }
  listed_.Listed(std::move(positions), scan.error);
  return programmers;
}

// The choice's serial is a bus position; an index names the position listed there last time. The
// open looks at the bus as it is at the time of the call.
OpenedProgrammer Ch341aLibrary::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  // Refused before anything is opened: the chip is never asked to do what it cannot.
  if (const std::string pin = InputOnlyPinOf(outputs); !pin.empty()) {
    return listed_.Fail({ProgrammerProblem::InputOnlyPin, kFamily, kFamily, pin, ""}, "UIO_STM_DIR",
                ProgrammerFault::InvalidParameter, 0);
  }
  const std::string position = listed_.SerialOf(choice);
  const ProgrammerError absent = ListedProgrammers::Absent(choice, kSource, kFamily);
  if (position.empty()) return listed_.Fail(absent, "libusb_get_device_list", ProgrammerFault::NotFound, 0);

  Scan scan;
  if (scan.error.Failed()) return listed_.Fail(scan.error, "libusb_get_device_list", ProgrammerFault::Other, scan.status);
  std::optional<std::size_t> at;
  for (std::size_t i = 0; i < scan.found.size(); ++i) {
    if (scan.found[i].programmer.serial == position) at = i;
  }
  if (!at) return listed_.Fail(absent, "libusb_get_device_list", ProgrammerFault::NotFound, 0);

  libusb_device_handle* handle = nullptr;
  int rc = libusb_open(scan.found[*at].dev, &handle);
  if (rc != 0) return listed_.Fail(Error(OpenProblem(rc), "", CallWords("libusb_open", rc)), "libusb_open",
                           ProgrammerFault::NotOpened, rc);
  // A kernel driver bound to the chip (ch341 for its serial mode) lets go on claim and comes back
  // on release.
  libusb_set_auto_detach_kernel_driver(handle, 1);
  rc = libusb_claim_interface(handle, kInterface);
  if (rc != 0) {
    libusb_close(handle);
    return listed_.Fail(Error(OpenProblem(rc), "", CallWords("libusb_claim_interface", rc)), "libusb_claim_interface",
                ProgrammerFault::NotOpened, rc);
  }
  auto programmer = std::make_unique<Ch341aProgrammer>(scan.TakeContext(), handle);
  OpenedProgrammer opened;
  if (!programmer->SetOutputs(outputs)) {
    opened.failure.stage = ProgrammerFailure::Stage::Setup;
    opened.failure.step = "UIO_STM_DIR";
    opened.failure.fault = ProgrammerFault::Io;
    opened.failure.error = programmer->LastError();
    listed_.Record(opened.failure.error);
    return opened;  // the programmer closes again as it goes
  }
  opened.programmer = std::move(programmer);
  listed_.Record({});
  return opened;
}

}  // namespace quarrow
