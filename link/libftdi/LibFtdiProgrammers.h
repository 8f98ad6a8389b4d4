// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI programmers over libftdi1 and libusb, for Linux: the chips of the chip table found on
// the bus (each port of a multi-port chip a programmer of its own), opened by serial or by place in
// the last list and set up for asynchronous bit-bang, their pins written and read.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ProgrammerLibrary.h"

struct ftdi_context;
struct libusb_device;

namespace quarrow {

// One port of an FTDI chip, open in bit-bang mode on a libftdi context of its own. Closing it
// (its end) gives the port back to the kernel's serial driver.
class LibFtdiProgrammer final : public IOpenProgrammer {
 public:
  // Takes `ctx`, open on `dev`, and a reference on `dev`.
  LibFtdiProgrammer(ftdi_context* ctx, libusb_device* dev);
  ~LibFtdiProgrammer() override;
  LibFtdiProgrammer(const LibFtdiProgrammer&) = delete;
  LibFtdiProgrammer& operator=(const LibFtdiProgrammer&) = delete;

  bool SetOutputs(std::uint8_t mask) override;
  bool WritePins(std::uint8_t value) override;
  bool ReadPins(std::uint8_t& value) override;
  ProgrammerError LastError() const override;

  // The set-up of a fresh open, libftdi's calls in turn; the failure names the call that failed.
  ProgrammerFailure SetUp(std::uint8_t outputs);

 private:
  // Records why libftdi call `call` returned `rc`: `problem`, or Unplugged when the programmer has
  // gone.
  ProgrammerError Failed(ProgrammerProblem problem, const char* call, int rc);

  // The worker's pin calls and another thread's set-up take turns on the context; the error has a
  // lock of its own, so asking for it never waits for a USB transfer.
  std::mutex usb_;
  ftdi_context* ctx_;
  libusb_device* dev_;
  mutable std::mutex errorMutex_;
  ProgrammerError lastError_;
};

class LibFtdiProgrammers final : public IProgrammerLibrary {
 public:
  std::vector<FoundProgrammer> List() override;
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;

  // Where a listed programmer sits: a re-plugged device gets a new bus address, so an old place in
  // the list never reaches whatever has been plugged in since.
  struct Place {
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int port = 0;
    bool operator==(const Place&) const = default;
  };

 private:
  OpenedProgrammer Fail(ProgrammerError error, std::string step, ProgrammerFault fault, long status);

  mutable std::mutex mutex_;
  std::vector<Place> listed_;  // the place of each programmer of the last List()
  ProgrammerError lastError_;
};

}  // namespace quarrow
