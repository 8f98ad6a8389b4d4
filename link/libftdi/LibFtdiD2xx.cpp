// SPDX-License-Identifier: GPL-3.0-or-later
// The D2XX operations over libftdi1: each open device has a libftdi context of its own; listing
// scans on a context of its own that never claims a device, so it can run while a device is in use.
#include "LibFtdiD2xx.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstring>


namespace quarrow {

namespace {

constexpr int kFtdiVendor = 0x0403;
// FTDI's own product ids of the chips with asynchronous bit-bang: FT232R/FT245R (and the older
// FT232BM/AM), FT2232C/D/H, FT4232H, FT232H, FT-X series.
constexpr int kFtdiProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr std::uint32_t kFlagOpened = 1;  // D2XX's FT_FLAGS_OPENED

// D2XX device types, told apart by bcdDevice as D2XX and libftdi do.
std::uint32_t TypeForRelease(std::uint16_t bcdDevice) {
  switch (bcdDevice) {
    case 0x0200: return 1;  // FT232AM
    case 0x0400: return 0;  // FT232BM
    case 0x0500: return FT_DEVICE_2232C;
    case 0x0600: return FT_DEVICE_232R;
    case 0x0700: return FT_DEVICE_2232H;
    case 0x0800: return FT_DEVICE_4232H;
    case 0x0900: return FT_DEVICE_232H;
    case 0x1000: return FT_DEVICE_X_SERIES;
    default: return 3;  // unknown
  }
}

// Ports of a chip; D2XX lists each as a device, its serial and description ending in the letter.
int PortsOfType(std::uint32_t type) {
  switch (type) {
    case FT_DEVICE_2232C:
    case FT_DEVICE_2232H: return 2;
    case FT_DEVICE_4232H: return 4;
    default: return 1;
  }
}

// Copies `text` into a fixed record field, cut so the terminator always fits.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

const char* FtdiText(ftdi_context* ctx) {
  const char* text = ctx ? ftdi_get_error_string(ctx) : nullptr;
  return text ? text : "no further detail";
}

// What a libftdi call that failed says: the call, libftdi's code and its own text.
std::string CallFailure(const char* what, ftdi_context* ctx, int rc) {
  return std::string(what) + " failed (libftdi " + std::to_string(rc) + "): " + FtdiText(ctx);
}

constexpr const char* kPermissionHint =
    "permission denied opening the USB device: install the udev rule 70-quarrow.rules (see README) "
    "and re-plug the programmer, or run as root";

}  // namespace


LibFtdiD2xx::LibFtdiD2xx() = default;

LibFtdiD2xx::~LibFtdiD2xx() {
  std::lock_guard lock(mutex_);
  for (auto& [id, open] : open_) CloseOpen(open);
  open_.clear();
}

FT_STATUS LibFtdiD2xx::Fail(FT_STATUS status, std::string text) {
  lastError_ = std::move(text);
  return status;
}

FT_STATUS LibFtdiD2xx::FailCall(FT_STATUS status, const char* what, ftdi_context* ctx, int rc) {
  return Fail(status, CallFailure(what, ctx, rc));
}

std::string LibFtdiD2xx::LastErrorText() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

void LibFtdiD2xx::CloseOpen(Open& open) {
  // ftdi_usb_close releases the interface, which is where libusb re-attaches ftdi_sio. The device
  // goes before the context it belongs to, which ftdi_free ends.
  ftdi_usb_close(open.ctx);
  libusb_unref_device(open.dev);
  ftdi_free(open.ctx);
  open.ctx = nullptr;
  open.dev = nullptr;
}

void LibFtdiD2xx::Release(std::vector<Found>& found) {
  for (Found& f : found) libusb_unref_device(f.dev);
  found.clear();
}

void LibFtdiD2xx::Release(Scanned& scanned) {
  Release(scanned.found);
  if (scanned.ctx) ftdi_free(scanned.ctx);
  scanned.ctx = nullptr;
}

// Every scan runs on a new libusb context, which reads the bus as it is now. A context kept from an
// earlier scan would learn of re-plugged programmers only through hotplug events, which a system
// without udev, or a container, never delivers.
FT_STATUS LibFtdiD2xx::FindAll(ftdi_context* ctx, std::vector<Found>& found, std::string& error) {
  for (int product : kFtdiProducts) {
    if (FT_STATUS status = FindProduct(ctx, product, found, error)) return status;
  }
  return FT_OK;
}

FT_STATUS LibFtdiD2xx::FindProduct(ftdi_context* ctx, int product, std::vector<Found>& found,
                                   std::string& error) {
  ftdi_device_list* devices = nullptr;
  const int rc = ftdi_usb_find_all(ctx, &devices, kFtdiVendor, product);
  if (rc < 0) {
    error = CallFailure("listing USB devices", ctx, rc);
    ftdi_list_free(&devices);
    return FT_OTHER_ERROR;
  }
  for (ftdi_device_list* item = devices; item; item = item->next) {
    Found f;
    f.dev = libusb_ref_device(item->dev);
    f.bus = libusb_get_bus_number(item->dev);
    f.address = libusb_get_device_address(item->dev);
    libusb_device_descriptor desc{};
    libusb_get_device_descriptor(item->dev, &desc);
    f.node.Type = TypeForRelease(desc.bcdDevice);
    f.node.ID = (static_cast<std::uint32_t>(desc.idVendor) << 16) | desc.idProduct;
    f.node.LocId = (static_cast<std::uint32_t>(f.bus) << 4) | libusb_get_port_number(item->dev);

    // One string per call: libftdi stops at the first string it cannot read, and a device without
    // a serial descriptor must still show its description.
    char description[128] = {};
    char serial[128] = {};
    if (ftdi_usb_get_strings2(ctx, item->dev, nullptr, 0, description, sizeof description,
                              nullptr, 0) < 0) {
      description[0] = '\0';
    }
    if (ftdi_usb_get_strings2(ctx, item->dev, nullptr, 0, nullptr, 0, serial,
                              sizeof serial) < 0) {
      serial[0] = '\0';
    }
    // Some libftdi failure paths return with the device handle still open.
    if (ctx->usb_dev) {
      libusb_close(ctx->usb_dev);
      ctx->usb_dev = nullptr;
    }
    description[sizeof description - 1] = '\0';
    serial[sizeof serial - 1] = '\0';
    const int ports = PortsOfType(f.node.Type);
    for (int port = 1; port <= ports; ++port) {
      Found p = f;
      const std::string letter = ports > 1 ? std::string(1, static_cast<char>('A' + port - 1)) : "";
      p.port = ports > 1 ? port : 0;
      p.serial = serial[0] != '\0' ? serial + letter : std::string();
      p.dev = port == 1 ? f.dev : libusb_ref_device(f.dev);
      CopyField(p.node.SerialNumber, p.serial);
      CopyField(p.node.Description, std::string(description) + (letter.empty() ? "" : " " + letter));
      found.push_back(std::move(p));
    }
  }
  ftdi_list_free(&devices);
  return FT_OK;
}

LibFtdiD2xx::Scanned LibFtdiD2xx::Scan() {
  Scanned scanned;
  scanned.ctx = ftdi_new();
  if (!scanned.ctx) {
    scanned.status = FT_OTHER_ERROR;
    scanned.error = "cannot start libftdi: ftdi_new failed (is libusb usable here?)";
    return scanned;
  }
  scanned.status = FindAll(scanned.ctx, scanned.found, scanned.error);
  return scanned;
}

FT_STATUS LibFtdiD2xx::FT_CreateDeviceInfoList(std::uint32_t* count) {
  if (!count) return FT_INVALID_PARAMETER;
  *count = 0;
  Scanned scanned = Scan();

  std::lock_guard lock(mutex_);
  list_.clear();
  for (const Found& f : scanned.found) {
    Listed listed{f.node, f.serial, f.bus, f.address, f.port};
    for (const auto& [id, open] : open_) {
      if (open.bus == f.bus && open.address == f.address && open.port == f.port) {
        listed.node.Flags |= kFlagOpened;
      }
    }
    list_.push_back(std::move(listed));
  }
  Release(scanned);
  if (scanned.status != FT_OK) return Fail(scanned.status, scanned.error);
  *count = static_cast<std::uint32_t>(list_.size());
  return FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) {
  if (!list || !count) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  const std::size_t n = std::min<std::size_t>(*count, list_.size());
  for (std::size_t i = 0; i < n; ++i) list[i] = list_[i].node;
  *count = static_cast<std::uint32_t>(n);
  return FT_OK;
}

// As D2XX does, the open looks among the devices attached at the time of the call, not in the last
// list: a programmer plugged in (or re-plugged) after the list was made opens all the same.
FT_STATUS LibFtdiD2xx::FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) {
  if (!serial || !handle || flags != FT_OPEN_BY_SERIAL_NUMBER) return FT_INVALID_PARAMETER;
  const std::string wanted(serial);
  Scanned scanned = Scan();

  std::lock_guard lock(mutex_);
  if (scanned.status != FT_OK) {
    Release(scanned);
    return Fail(scanned.status, scanned.error);
  }
  // A serial longer than the record's field is listed cut; either form names the device.
  std::vector<std::size_t> candidates;
  for (std::size_t i = 0; i < scanned.found.size(); ++i) {
    const Found& f = scanned.found[i];
    if (f.serial == wanted || wanted == f.node.SerialNumber) candidates.push_back(i);
  }
  if (candidates.empty()) {
    Release(scanned);
    return Fail(FT_DEVICE_NOT_FOUND, "no programmer with serial number \"" + wanted +
                                         "\" is attached: check the serial number, plug the "
                                         "programmer in and try again");
  }
  return OpenFound(scanned, candidates, handle);
}

FT_STATUS LibFtdiD2xx::FT_Open(int index, FT_HANDLE* handle) {
  if (!handle) return FT_INVALID_PARAMETER;
  std::uint8_t bus = 0;
  std::uint8_t address = 0;
  int port = 0;
  {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= list_.size()) {
      return Fail(FT_DEVICE_NOT_FOUND, "no device at position " + std::to_string(index) +
                                           " of the device list: list the devices again");
    }
    bus = list_[static_cast<std::size_t>(index)].bus;
    address = list_[static_cast<std::size_t>(index)].address;
    port = list_[static_cast<std::size_t>(index)].port;
  }
  Scanned scanned = Scan();

  std::lock_guard lock(mutex_);
  // The bus gives a re-plugged device a new address, so an old list position cannot open whatever
  // has been plugged in since.
  std::vector<std::size_t> candidates;
  for (std::size_t i = 0; i < scanned.found.size(); ++i) {
    const Found& f = scanned.found[i];
    if (f.bus == bus && f.address == address && f.port == port) candidates.push_back(i);
  }
  if (scanned.status != FT_OK || candidates.empty()) {
    Release(scanned);
    if (scanned.status != FT_OK) return Fail(scanned.status, scanned.error);
    return Fail(FT_DEVICE_NOT_FOUND, "the device at position " + std::to_string(index) +
                                         " of the device list is no longer attached: list the "
                                         "devices again");
  }
  return OpenFound(scanned, candidates, handle);
}

FT_STATUS LibFtdiD2xx::OpenFound(Scanned& scanned, const std::vector<std::size_t>& candidates,
                                 FT_HANDLE* handle) {
  // Every matching device is tried: one that is busy or forbidden must not hide the next.
  // libusb detaches ftdi_sio on claim and re-attaches it on release, so the person's /dev/ttyUSB*
  // comes back once the tool lets go of the device.
  ftdi_context* ctx = scanned.ctx;
  ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
  std::string failure;
  for (std::size_t i : candidates) {
    const Found& f = scanned.found[i];
    libusb_device* dev = f.dev;
    // The port is chosen before the open, which claims that port's interface alone; the other
    // ports of the chip stay free for their own opens.
    int rc = ftdi_set_interface(ctx, static_cast<ftdi_interface>(f.port));
    if (rc == 0) rc = ftdi_usb_open_dev(ctx, dev);
    if (rc == 0) {
      const std::uintptr_t id = nextHandle_++;
      open_[id] = Open{ctx, libusb_ref_device(dev), f.bus, f.address, f.port};
      Release(scanned.found);  // the context now belongs to the open device
      *handle = reinterpret_cast<FT_HANDLE>(id);
      return FT_OK;
    }

    std::string detail = std::string(FtdiText(ctx)) + " (libftdi " + std::to_string(rc) + ")";
    bool denied = rc == -8;
    if (rc == -4) {
      // libftdi does not pass libusb's reason on; asking libusb again tells access from absence.
      libusb_device_handle* probe = nullptr;
      const int usbRc = libusb_open(dev, &probe);
      if (usbRc == 0) {
        libusb_close(probe);
      } else {
        detail += std::string(": ") + libusb_strerror(usbRc);
        denied = usbRc == LIBUSB_ERROR_ACCESS;
      }
    }
    if (denied) {
      failure = std::string(kPermissionHint) + " [" + detail + "]";
    } else if (rc == -5) {
      failure = "the USB device is in use by another program (or already connected here): " +
                detail;
    } else {
      failure = "cannot open the USB device: " + detail + "; re-plug the programmer and try again";
    }
  }
  Release(scanned);
  return Fail(FT_DEVICE_NOT_OPENED, failure);
}

LibFtdiD2xx::Open* LibFtdiD2xx::Find(FT_HANDLE handle) {
  auto it = open_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == open_.end()) {
    Fail(FT_INVALID_HANDLE, "the programmer is not connected (invalid device handle)");
    return nullptr;
  }
  return &it->second;
}

FT_STATUS LibFtdiD2xx::FT_Close(FT_HANDLE handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == open_.end()) return Fail(FT_INVALID_HANDLE, "closing: invalid device handle");
  const int rc = ftdi_usb_close(it->second.ctx);
  FT_STATUS status = rc < 0 ? FailCall(FT_IO_ERROR, "closing the USB device", it->second.ctx, rc)
                            : FT_OK;
  libusb_unref_device(it->second.dev);
  ftdi_free(it->second.ctx);
  open_.erase(it);
  return status;
}

FT_STATUS LibFtdiD2xx::FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) {
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  // D2XX and libftdi number the bit modes alike (1 = asynchronous bit-bang).
  const int rc = ftdi_set_bitmode(open->ctx, mask, mode);
  return rc < 0 ? FailCall(FT_IO_ERROR, "setting the bit mode", open->ctx, rc) : FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) {
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  if (baud == 0 || baud > INT_MAX) {
    return Fail(FT_INVALID_PARAMETER, "baud rate " + std::to_string(baud) + " is out of range");
  }
  // libftdi multiplies the rate by 4 in bit-bang mode; D2XX does not. Computing the divisor as for
  // serial mode sends the chip the divisor D2XX sends (300 -> 3 MHz / 300 = 10000), which sets the
  // pin update rate the read-out's waits were measured with.
  const unsigned char bitbang = open->ctx->bitbang_enabled;
  open->ctx->bitbang_enabled = 0;
  const int rc = ftdi_set_baudrate(open->ctx, static_cast<int>(baud));
  open->ctx->bitbang_enabled = bitbang;
  return rc < 0 ? FailCall(FT_IO_ERROR, "setting the baud rate", open->ctx, rc) : FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs,
                                      std::uint32_t writeMs) {
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  open->ctx->usb_read_timeout = static_cast<int>(std::min<std::uint32_t>(readMs, INT_MAX));
  open->ctx->usb_write_timeout = static_cast<int>(std::min<std::uint32_t>(writeMs, INT_MAX));
  return FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_ResetDevice(FT_HANDLE handle) {
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  const int rc = ftdi_usb_reset(open->ctx);
  return rc < 0 ? FailCall(FT_IO_ERROR, "resetting the device", open->ctx, rc) : FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                                std::uint32_t* written) {
  if (written) *written = 0;
  if (!data || !written || size > INT_MAX) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  const int rc = ftdi_write_data(open->ctx, static_cast<const unsigned char*>(data),
                                 static_cast<int>(size));
  if (rc < 0) return FailCall(FT_IO_ERROR, "writing to the programmer", open->ctx, rc);
  *written = static_cast<std::uint32_t>(rc);
  return FT_OK;
}

FT_STATUS LibFtdiD2xx::FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) {
  if (!pins) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  Open* open = Find(handle);
  if (!open) return FT_INVALID_HANDLE;
  unsigned char value = 0;
  const int rc = ftdi_read_pins(open->ctx, &value);
  if (rc < 0) return FailCall(FT_IO_ERROR, "reading the pins", open->ctx, rc);
  *pins = value;
  return FT_OK;
}

}  // namespace quarrow
