// SPDX-License-Identifier: GPL-3.0-or-later
// The GPIO chips of a Linux board (/dev/gpiochipN: a Raspberry Pi's header, any board's) over
// libgpiod 1.6, for Linux: each chip is listed as a programmer, and the lines a wiring uses stand
// for the D0..D7 of the opened programmer, held from the kernel for as long as it is open.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ProgrammerLibrary.h"

struct gpiod_chip;
struct gpiod_line;

namespace quarrow {

// The consumer name the kernel shows for the lines the tool holds (gpioinfo lists it).
inline constexpr const char* kGpioConsumer = "quarrow";

// One GPIO chip with the lines D0, D1, ... stand for. The outputs are held as one request and the
// inputs as another (the kernel's line handles have one direction each), so a pin write sets
// clock and reset in one step as an FTDI chip's byte does. Closing it (its end) gives the lines
// back to the kernel.
class GpioProgrammer final : public IOpenProgrammer {
 public:
  // Takes `chip`; `lines` (none of them requested yet) are named `pinNames` in errors.
  GpioProgrammer(gpiod_chip* chip, std::vector<gpiod_line*> lines, std::vector<std::string> pinNames);
  ~GpioProgrammer() override;
  GpioProgrammer(const GpioProgrammer&) = delete;
  GpioProgrammer& operator=(const GpioProgrammer&) = delete;

  // The lines whose bits are set in `mask` become outputs at the levels last written (low before
  // the first write), the others inputs. A line another program holds is refused (InUse, naming
  // the line and its holder).
  bool SetOutputs(std::uint8_t mask) override;
  bool WritePins(std::uint8_t value) override;
  bool ReadPins(std::uint8_t& value) override;
  ProgrammerError LastError() const override;
  // The libgpiod call the last failure came from, and its errno.
  std::pair<const char*, int> FailedCall() const;

 private:
  bool Record(ProgrammerError error, const char* call, int err);
  bool Fail(ProgrammerProblem problem, const char* call, int err, std::string subject = {});
  // A request of `mask`'s lines that failed with `err`; for EBUSY, names a line another program
  // holds and its holder.
  bool FailRequest(std::uint8_t mask, const char* call, int err);

  // The worker's pin calls and another thread's SetOutputs take turns on the lines; the error has
  // a lock of its own, so asking for it never waits for the kernel.
  std::mutex io_;
  gpiod_chip* chip_;
  std::vector<gpiod_line*> lines_;
  std::vector<std::string> pinNames_;
  std::uint8_t outputs_ = 0;  // the lines requested as outputs
  std::uint8_t levels_ = 0;   // as last written, kept for lines that become outputs
  mutable std::mutex errorMutex_;
  ProgrammerError lastError_;
  const char* failedCall_ = "";
  int failedErrno_ = 0;
};

class GpioLibrary final : public IProgrammerLibrary {
 public:
  std::vector<FoundProgrammer> List() override;
  // The choice's serial is the chip's name ("gpiochip0"); `choice.lines` are the chip's lines that
  // D0, D1, ... stand for, lines 0..7 (as far as the chip has them) when it names none.
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;

 private:
  ListedProgrammers listed_;  // by chip name
};

}  // namespace quarrow
