// SPDX-License-Identifier: GPL-3.0-or-later
// The D2XX operations over libftdi1 and libusb: discovery of FTDI bit-bang chips (each port of a
// multi-port chip a device of its own, as D2XX lists them), open by serial or list position,
// bit-bang set-up and pin access, for Linux.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "D2xx.h"

struct ftdi_context;
struct libusb_device;

namespace quarrow {

class LibFtdiD2xx : public ID2xx {
 public:
  LibFtdiD2xx();
  ~LibFtdiD2xx() override;
  LibFtdiD2xx(const LibFtdiD2xx&) = delete;
  LibFtdiD2xx& operator=(const LibFtdiD2xx&) = delete;

  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override;
  FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) override;
  FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) override;
  FT_STATUS FT_Open(int index, FT_HANDLE* handle) override;
  FT_STATUS FT_Close(FT_HANDLE handle) override;
  FT_STATUS FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) override;
  FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) override;
  FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) override;
  FT_STATUS FT_ResetDevice(FT_HANDLE handle) override;
  FT_STATUS FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                     std::uint32_t* written) override;
  FT_STATUS FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) override;

  std::string LastErrorText() const override;

 private:
  // One port of an FTDI device found by a scan of the bus, with a reference on its libusb device.
  struct Found {
    libusb_device* dev = nullptr;
    FT_DEVICE_LIST_INFO_NODE node;
    std::string serial;  // whole serial (with the port's letter), not cut to the record's field
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int port = 0;  // libftdi's interface: 0 for a single-port chip, 1 for A, 2 for B, ...
  };
  // One device of the last list. Only its bus position is kept: opening it scans the bus again.
  struct Listed {
    FT_DEVICE_LIST_INFO_NODE node;
    std::string serial;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int port = 0;
  };
  struct Open {
    ftdi_context* ctx = nullptr;  // owns the libusb context `dev` belongs to
    libusb_device* dev = nullptr;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int port = 0;
  };

  // A look at the bus as it is now, on a libftdi context of its own that an open goes on with.
  struct Scanned {
    ftdi_context* ctx = nullptr;
    std::vector<Found> found;
    FT_STATUS status = FT_OK;
    std::string error;
  };

  static FT_STATUS FindAll(ftdi_context* ctx, std::vector<Found>& found, std::string& error);
  static FT_STATUS FindProduct(ftdi_context* ctx, int product, std::vector<Found>& found,
                               std::string& error);
  static Scanned Scan();
  static void Release(std::vector<Found>& found);
  static void Release(Scanned& scanned);
  FT_STATUS OpenFound(Scanned& scanned, const std::vector<std::size_t>& candidates, FT_HANDLE* handle);
  Open* Find(FT_HANDLE handle);
  FT_STATUS Fail(FT_STATUS status, std::string text);
  FT_STATUS FailCall(FT_STATUS status, const char* what, ftdi_context* ctx, int rc);
  static void CloseOpen(Open& open);

  mutable std::mutex mutex_;
  std::vector<Listed> list_;
  // Handles are numbers that are never reused, so a stale handle cannot reach a newer device.
  std::map<std::uintptr_t, Open> open_;
  std::uintptr_t nextHandle_ = 1;
  std::string lastError_;
};

}  // namespace quarrow
