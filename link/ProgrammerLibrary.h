// SPDX-License-Identifier: GPL-3.0-or-later
// The seam between the tool and a programmer library, in the tool's own words: list the programmers
// of a family that are attached, open one set up for bit-bang, choose which pins it drives, write
// and read its pins, close it. Each family's library is a back end of its own (a folder in link/);
// the simulated programmer is one more.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FtdiChip.h"
#include "PinPort.h"
#include "ProgrammerError.h"

namespace quarrow {

// The families of programmers the tool reads through, as lists and errors name them.
inline constexpr const char* kFtdiFamily = "FTDI";
inline constexpr const char* kCh341aFamily = "CH341A";
inline constexpr const char* kGpioFamily = "GPIO";

// One programmer a library found attached. A chip with several bit-bang ports is listed once per
// port.
struct FoundProgrammer {
  std::string family;            // kFtdiFamily, kCh341aFamily, kGpioFamily
  std::optional<FtdiChip> chip;  // the FTDI chip, when the chip table knows it
  std::string model;             // the chip as other families name it: "CH341A", a GPIO chip's label
  std::string serial;            // the programmer's own identity (USB serial number), possibly empty
  std::string description;       // the product text the programmer gives, as it gives it
  int port = 0;                  // 0 = port A; B, C, D of a multi-port chip are 1, 2, 3
  std::vector<std::string> pinNames;  // D0..D(n-1) under the names its board prints
  // Pins (bit n: D n) the chip can only read, which an assignment may not drive (the CH341A's D6
  // and D7).
  std::uint8_t inputOnly = 0;
};

// How a library call failed, as far as the tool tells failures apart.
enum class ProgrammerFault { None, InvalidHandle, NotFound, NotOpened, Io, InvalidParameter, Other };

// A failed open or set-up: the library's call as the library names it, its status and its words.
struct ProgrammerFailure {
  enum class Stage { Open, Setup };
  Stage stage = Stage::Open;
  std::string step;  // the library's call as it names it: "ftdi_usb_open_dev", "ftdi_set_bitmode"
  ProgrammerFault fault = ProgrammerFault::None;  // None: the call said success but gave nothing
  long status = 0;    // the library's own number for the failure
  ProgrammerError error;  // why, with the library's own words
};

// An open programmer in bit-bang mode; it is closed when it goes, and is then free for other
// programs. WritePins and ReadPins (IPinPort) may be called from a worker thread while another
// thread asks for LastError.
class IOpenProgrammer : public IPinPort {
 public:
  // Makes the pins whose bits are set in `mask` outputs (bit n: D n) and the others inputs.
  virtual bool SetOutputs(std::uint8_t mask) = 0;
  // The last failure on this programmer; ProgrammerProblem::None when there was none.
  virtual ProgrammerError LastError() const = 0;
};

// Which programmer to open: by its serial number, or when it has none by its place in the last
// List().
struct ProgrammerChoice {
  std::string serial;
  int index = -1;
  std::string family;  // as listed; empty for a serial typed rather than listed
  // For a programmer with more pins than a byte holds (a GPIO chip): the pins that D0, D1, ... of
  // the opened programmer stand for. Empty: D0..D7 are the programmer's own.
  std::vector<int> lines;

  static ProgrammerChoice BySerial(std::string serial) {
    ProgrammerChoice choice;
    choice.serial = std::move(serial);
    return choice;
  }
  static ProgrammerChoice AtPlace(int index) {
    ProgrammerChoice choice;
    choice.index = index;
    return choice;
  }
};

struct OpenedProgrammer {
  std::unique_ptr<IOpenProgrammer> programmer;  // null on failure
  ProgrammerFailure failure;
};

// An open that failed at `step` with the library's `status`, for `error`.
inline OpenedProgrammer FailedOpen(ProgrammerError error, std::string step, ProgrammerFault fault, long status) {
  OpenedProgrammer result;
  result.failure.step = std::move(step);
  result.failure.fault = fault;
  result.failure.status = status;
  result.failure.error = std::move(error);
  return result;
}

// What a back end keeps between its calls, which may come from several threads: the serial of
// each programmer its last List() found, by place, and its last failure.
class ListedProgrammers {
 public:
  // After a List(): the programmers' serials in its order, and why it found fewer, if it did.
  void Listed(std::vector<std::string> serials, ProgrammerError error) {
    std::lock_guard lock(mutex_);
    serials_ = std::move(serials);
    lastError_ = std::move(error);
  }
  // The serial `choice` names: its own, else the one listed at its place; empty when neither.
  std::string SerialOf(const ProgrammerChoice& choice) const {
    if (!choice.serial.empty()) return choice.serial;
    std::lock_guard lock(mutex_);
    const bool listed = choice.index >= 0 && static_cast<std::size_t>(choice.index) < serials_.size();
    return listed ? serials_[static_cast<std::size_t>(choice.index)] : std::string();
  }
  // That `choice` names no programmer attached now, from `source` of `family`.
  static ProgrammerError Absent(const ProgrammerChoice& choice, const char* source, const char* family) {
    return choice.serial.empty()
               ? ProgrammerError{ProgrammerProblem::NoSuchPlace, source, family, std::to_string(choice.index), ""}
               : ProgrammerError{ProgrammerProblem::NoSuchSerial, source, family, choice.serial, ""};
  }
  void Record(ProgrammerError error) {
    std::lock_guard lock(mutex_);
    lastError_ = std::move(error);
  }
  // An open that failed, recorded as the last failure.
  OpenedProgrammer Fail(ProgrammerError error, std::string step, ProgrammerFault fault, long status) {
    OpenedProgrammer result = FailedOpen(std::move(error), std::move(step), fault, status);
    Record(result.failure.error);
    return result;
  }
  ProgrammerError LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> serials_;
  ProgrammerError lastError_;
};

class IProgrammerLibrary {
 public:
  virtual ~IProgrammerLibrary() = default;
  // The programmers with bit-bang attached now, in the library's order; empty when none are, or the
  // library could not look (LastError then says why).
  virtual std::vector<FoundProgrammer> List() = 0;
  // Opens the chosen programmer and sets it up for asynchronous bit-bang with the pins in `outputs`
  // driven. A programmer that opened but could not be set up is closed again.
  virtual OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) = 0;
  // The library's last failure; ProgrammerProblem::None when there was none.
  virtual ProgrammerError LastError() const = 0;
  // Why the last List() found nothing: each failure of a library that could not look (one library
  // may stand for several families, each with its own driver to install); empty when every one
  // looked and none was attached.
  virtual std::vector<ProgrammerError> ListFailures() const {
    const ProgrammerError error = LastError();
    return error.Failed() ? std::vector<ProgrammerError>{error} : std::vector<ProgrammerError>{};
  }
  // The families List() looks for, so that an empty list can say what was looked for.
  virtual std::vector<std::string> FamiliesSought() const { return {}; }
};

}  // namespace quarrow
