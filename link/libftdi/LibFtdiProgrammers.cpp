// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI programmers over libftdi1: each open programmer has a libftdi context of its own; listing
// scans on a context of its own that never claims a device, so it can run while a device is in use.
#include "LibFtdiProgrammers.h"

#include <ftdi.h>
#include <libusb.h>

#include <climits>
#include <optional>

namespace quarrow {

namespace {

constexpr const char* kSource = "libftdi";
// A listed serial is cut to the 15 characters FTDI's own driver lists, which is how the tool has
// always shown serials and stored wirings know them; either form opens the programmer.
constexpr std::size_t kListedSerialChars = 15;
// Asynchronous bit-bang. 300 baud paces the bit-bang clock slowly, which suits the PROM; the
// protocol's own waits do the rest.
constexpr int kBaud = 300;
constexpr int kReadTimeoutMs = 2000;
constexpr int kWriteTimeoutMs = 1000;

ProgrammerError Error(ProgrammerProblem problem, std::string subject, std::string words) {
  return {problem, kSource, "FTDI", std::move(subject), std::move(words)};
}

std::string FtdiWords(ftdi_context* ctx) {
  const char* text = ctx ? ftdi_get_error_string(ctx) : nullptr;
  return text ? text : "";
}

// libftdi's words for a call that returned `rc`, with the call and its code.
std::string CallWords(ftdi_context* ctx, const char* call, int rc) {
  return FtdiWords(ctx) + " (" + call + " returned " + std::to_string(rc) + ")";
}

// One port of an FTDI chip found on the bus, with a reference on its libusb device.
struct Found {
  libusb_device* dev = nullptr;
  FoundProgrammer programmer;
  std::string wholeSerial;  // with the port's letter, not cut to the listed length
  LibFtdiProgrammers::Place place;
  int interface = INTERFACE_ANY;  // libftdi's: ANY for a single-port chip, A, B, ... for the others
};

// A look at the bus as it is now, on a libftdi context of its own that an open goes on with. Every
// scan runs on a new libusb context, which reads the bus as it is now: a context kept from an
// earlier scan would learn of re-plugged programmers only through hotplug events, which a system
// without udev, or a container, never delivers.
class Scan {
 public:
  Scan() : ctx_(ftdi_new()) {
    if (!ctx_) {
      error = Error(ProgrammerProblem::LibraryUnusable, "", "ftdi_new failed");
      return;
    }
    for (std::uint16_t product : SupportedUsbProducts()) {
      if (!FindProduct(product)) return;
    }
  }
  ~Scan() {
    for (Found& f : found) libusb_unref_device(f.dev);
    if (ctx_) ftdi_free(ctx_);
  }
  Scan(const Scan&) = delete;
  Scan& operator=(const Scan&) = delete;

  ftdi_context* Context() const { return ctx_; }
  // Hands the context, open on a device now, to whoever closes that device.
  ftdi_context* TakeContext() {
    ftdi_context* ctx = ctx_;
    ctx_ = nullptr;
    return ctx;
  }

  std::vector<Found> found;
  ProgrammerError error;
  int status = 0;  // ftdi_usb_find_all's code when it failed

 private:
  bool FindProduct(std::uint16_t product) {
    ftdi_device_list* devices = nullptr;
    const int rc = ftdi_usb_find_all(ctx_, &devices, kFtdiUsbVendor, product);
    if (rc < 0) {
      error = Error(ProgrammerProblem::ListFailed, "", CallWords(ctx_, "ftdi_usb_find_all", rc));
      status = rc;
    } else {
      for (ftdi_device_list* item = devices; item; item = item->next) AddPorts(item->dev);
    }
    ftdi_list_free(&devices);
    return rc >= 0;
  }

  // The device's product string and serial, each read on its own: libftdi stops at the first
  // string it cannot read, and a device without a serial must still show its description.
  std::pair<std::string, std::string> Strings(libusb_device* dev) {
    char description[128] = {};
    char serial[128] = {};
    if (ftdi_usb_get_strings2(ctx_, dev, nullptr, 0, description, sizeof description, nullptr, 0) < 0) {
      description[0] = '\0';
    }
    if (ftdi_usb_get_strings2(ctx_, dev, nullptr, 0, nullptr, 0, serial, sizeof serial) < 0) serial[0] = '\0';
    // Some libftdi failure paths return with the device handle still open.
    if (ctx_->usb_dev) {
      libusb_close(ctx_->usb_dev);
      ctx_->usb_dev = nullptr;
    }
    description[sizeof description - 1] = '\0';
    serial[sizeof serial - 1] = '\0';
    return {description, serial};
  }

  // Each port of a multi-port chip is a programmer of its own, its serial and description ending
  // in the port's letter, as FTDI's own driver lists them.
  void AddPorts(libusb_device* dev) {
    libusb_device_descriptor desc{};
    libusb_get_device_descriptor(dev, &desc);
    const auto [description, serial] = Strings(dev);
    const std::optional<FtdiChip> chip = ChipOfUsbDevice(desc.idProduct, desc.bcdDevice, description);
    if (!chip) return;
    const int ports = FactsOf(*chip).interfaces;
    for (int port = 0; port < ports; ++port) {
      const std::string letter = ports > 1 ? PortLetter(port) : "";
      Found f;
      f.dev = libusb_ref_device(dev);
      f.wholeSerial = serial.empty() ? std::string() : serial + letter;
      f.programmer.family = "FTDI";
      f.programmer.chip = chip;
      f.programmer.serial = f.wholeSerial.substr(0, kListedSerialChars);
      f.programmer.description = letter.empty() ? description : description + " " + letter;
      f.programmer.port = port;
      f.programmer.pinNames = BoardPinNames(*chip, port);
      f.place = {libusb_get_bus_number(dev), libusb_get_device_address(dev), port};
      f.interface = ports > 1 ? INTERFACE_A + port : INTERFACE_ANY;
      found.push_back(std::move(f));
    }
  }

  ftdi_context* ctx_;
};

// Why the open of a device failed: libftdi does not pass libusb's reason on, so libusb is asked
// again, which tells a missing permission from a device that has gone.
ProgrammerError OpenError(ftdi_context* ctx, libusb_device* dev, const char* call, int rc) {
  std::string words = CallWords(ctx, call, rc);
  bool denied = rc == -8;
  if (rc == -4) {
    libusb_device_handle* probe = nullptr;
    const int usbRc = libusb_open(dev, &probe);
    if (usbRc == 0) {
      libusb_close(probe);
    } else {
      words += std::string(": ") + libusb_strerror(usbRc);
      denied = usbRc == LIBUSB_ERROR_ACCESS;
    }
  }
  if (denied) return Error(ProgrammerProblem::PermissionDenied, "", words);
  if (rc == -5) return Error(ProgrammerProblem::InUse, "", words);
  return Error(ProgrammerProblem::CannotOpen, "", words);
}

}  // namespace

LibFtdiProgrammer::LibFtdiProgrammer(ftdi_context* ctx, libusb_device* dev)
    : ctx_(ctx), dev_(libusb_ref_device(dev)) {}

LibFtdiProgrammer::~LibFtdiProgrammer() {
  // ftdi_usb_close releases the interface, which is where libusb re-attaches ftdi_sio. The device
  // goes before the context it belongs to, which ftdi_free ends.
  ftdi_usb_close(ctx_);
  libusb_unref_device(dev_);
  ftdi_free(ctx_);
}

ProgrammerError LibFtdiProgrammer::Failed(ProgrammerProblem problem, const char* call, int rc) {
  // A set-up failure names the call in its sentence; the others say it after libftdi's words.
  ProgrammerError error = problem == ProgrammerProblem::SetupFailed ? Error(problem, call, FtdiWords(ctx_))
                                                                    : Error(problem, "", CallWords(ctx_, call, rc));
  // A failed transfer says only that it failed; the device's configuration, which libusb reads
  // from sysfs, is gone with the device.
  int configuration = 0;
  if (ctx_->usb_dev && libusb_get_configuration(ctx_->usb_dev, &configuration) == LIBUSB_ERROR_NO_DEVICE) {
    error.problem = ProgrammerProblem::Unplugged;
  }
  std::lock_guard lock(errorMutex_);
  lastError_ = error;
  return error;
}

ProgrammerError LibFtdiProgrammer::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

bool LibFtdiProgrammer::SetOutputs(std::uint8_t mask) {
  std::lock_guard lock(usb_);
  const int rc = ftdi_set_bitmode(ctx_, mask, BITMODE_BITBANG);
  if (rc < 0) Failed(ProgrammerProblem::SetupFailed, "ftdi_set_bitmode", rc);
  return rc >= 0;
}

bool LibFtdiProgrammer::WritePins(std::uint8_t value) {
  std::lock_guard lock(usb_);
  const int rc = ftdi_write_data(ctx_, &value, 1);
  // A write that took nothing did not reach the pins either.
  if (rc != 1) Failed(ProgrammerProblem::PinWriteFailed, "ftdi_write_data", rc);
  return rc == 1;
}

bool LibFtdiProgrammer::ReadPins(std::uint8_t& value) {
  std::lock_guard lock(usb_);
  unsigned char pins = 0;
  const int rc = ftdi_read_pins(ctx_, &pins);
  if (rc < 0) {
    Failed(ProgrammerProblem::PinReadFailed, "ftdi_read_pins", rc);
    return false;
  }
  value = pins;
  return true;
}

ProgrammerFailure LibFtdiProgrammer::SetUp(std::uint8_t outputs) {
  std::lock_guard lock(usb_);
  ProgrammerFailure failure;
  failure.stage = ProgrammerFailure::Stage::Setup;
  // A device left in another mode would clock nothing and read back whatever its pins float to,
  // so every step must take.
  auto failed = [&](const char* call, int rc) {
    if (rc >= 0) return false;
    failure.step = call;
    failure.fault = rc == -2 || rc == -666 ? ProgrammerFault::NotOpened : ProgrammerFault::Io;
    failure.status = rc;
    failure.error = Failed(ProgrammerProblem::SetupFailed, call, rc);
    return true;
  };
  if (failed("ftdi_set_bitmode", ftdi_set_bitmode(ctx_, outputs, BITMODE_BITBANG))) return failure;
  // libftdi multiplies the rate by 4 in bit-bang mode; FTDI's own driver does not. Computing the
  // divisor as for serial mode sends the chip the divisor that driver sends (300 -> 3 MHz / 300 =
  // 10000), which sets the pin update rate the read-out's waits were measured with.
  const unsigned char bitbang = ctx_->bitbang_enabled;
  ctx_->bitbang_enabled = 0;
  const int baud = ftdi_set_baudrate(ctx_, kBaud);
  ctx_->bitbang_enabled = bitbang;
  if (failed("ftdi_set_baudrate", baud)) return failure;
  ctx_->usb_read_timeout = kReadTimeoutMs;
  ctx_->usb_write_timeout = kWriteTimeoutMs;
  failed("ftdi_usb_reset", ftdi_usb_reset(ctx_));
  return failure;
}

ProgrammerError LibFtdiProgrammers::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

std::vector<FoundProgrammer> LibFtdiProgrammers::List() {
  Scan scan;
  std::vector<FoundProgrammer> programmers;
  std::lock_guard lock(mutex_);
  listed_.clear();
  lastError_ = scan.error;
  if (scan.error.Failed()) return programmers;
  for (const Found& f : scan.found) {
    programmers.push_back(f.programmer);
    listed_.push_back(f.place);
  }
  return programmers;
}

OpenedProgrammer LibFtdiProgrammers::Fail(ProgrammerError error, std::string step, ProgrammerFault fault,
                                          long status) {
  OpenedProgrammer result = FailedOpen(std::move(error), std::move(step), fault, status);
  std::lock_guard lock(mutex_);
  lastError_ = result.failure.error;
  return result;
}

// The open looks among the programmers attached at the time of the call, not in the last list: one
// plugged in (or re-plugged) after the list was made opens all the same.
OpenedProgrammer LibFtdiProgrammers::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  const bool bySerial = !choice.serial.empty();
  std::optional<Place> place;
  if (!bySerial) {
    std::lock_guard lock(mutex_);
    if (choice.index >= 0 && static_cast<std::size_t>(choice.index) < listed_.size()) {
      place = listed_[static_cast<std::size_t>(choice.index)];
    }
  }
  const ProgrammerError absent = bySerial
      ? Error(ProgrammerProblem::NoSuchSerial, choice.serial, "")
      : Error(ProgrammerProblem::NoSuchPlace, std::to_string(choice.index), "");
  if (!bySerial && !place) return Fail(absent, "ftdi_usb_find_all", ProgrammerFault::NotFound, 0);

  Scan scan;
  if (scan.error.Failed()) return Fail(scan.error, "ftdi_usb_find_all", ProgrammerFault::Other, scan.status);
  // Every matching port is tried: one that is busy or forbidden must not hide the next. A serial
  // longer than a list shows is listed cut; either form names the programmer.
  ftdi_context* ctx = scan.Context();
  // libusb detaches ftdi_sio on claim and re-attaches it on release, so the person's /dev/ttyUSB*
  // comes back once the tool lets go of the device.
  ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
  std::optional<OpenedProgrammer> failed;
  for (const Found& f : scan.found) {
    const bool chosen = bySerial ? f.wholeSerial == choice.serial || f.programmer.serial == choice.serial
                                 : f.place == *place;
    if (!chosen) continue;
    // The port is chosen before the open, which claims that port's interface alone; the other
    // ports of the chip stay free for their own opens.
    const char* call = "ftdi_set_interface";
    int rc = ftdi_set_interface(ctx, static_cast<ftdi_interface>(f.interface));
    if (rc == 0) {
      call = "ftdi_usb_open_dev";
      rc = ftdi_usb_open_dev(ctx, f.dev);
    }
    if (rc != 0) {
      failed = Fail(OpenError(ctx, f.dev, call, rc), call, ProgrammerFault::NotOpened, rc);
      continue;
    }
    auto programmer = std::make_unique<LibFtdiProgrammer>(scan.TakeContext(), f.dev);
    OpenedProgrammer opened;
    opened.failure = programmer->SetUp(outputs);
    if (opened.failure.error.Failed()) {
      std::lock_guard lock(mutex_);
      lastError_ = opened.failure.error;
      return opened;  // the programmer closes again as it goes
    }
    opened.programmer = std::move(programmer);
    std::lock_guard lock(mutex_);
    lastError_ = {};
    return opened;
  }
  if (failed) return std::move(*failed);
  return Fail(absent, "ftdi_usb_find_all", ProgrammerFault::NotFound, 0);
}

}  // namespace quarrow
