// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the programmer back end, connecting to a programmer and reading its PROM, for the
// commands that talk to a chip.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Connection.h"
#include "Console.h"
#include "ProgrammerLibrary.h"
#include "ExitStatus.h"
#include "FtdiChip.h"
#include "Interruption.h"
#include "sim/SimulatedProgrammer.h"
#include "PinAssignment.h"
#include "PinTrace.h"
#include "ProgressBar.h"
#include "PromImage.h"
#include "SelfTest.h"

namespace quarrow::cli {

struct DeviceOptions {
  bool simulate = false;
  // MAME-layout files whose bits the simulated PROM holds: the k-th chip put into the socket
  // (simulatedChip, from 0) holds the k-th file, and the last file stays in the socket.
  std::vector<std::string> simulateImages;
  std::size_t simulatedChip = 0;
  std::string simulateFault;  // "", "unplugged", "busy", "reads-fail" or "unstable-bit"
  std::optional<std::string> serial;
  PinAssignment pins;  // how the programmer is wired, as the person says
  // --pins or QUARROW_PINS named the pins; else the wiring stored for the programmer applies.
  bool pinsGiven = false;
  // The pins as given and where ("--pins", "QUARROW_PINS"): resolved again at Connect by the
  // names of the programmer in use (a CH341A's CLK, a GPIO chip's GPIO17), which `pins` cannot
  // hold before it is known.
  std::string pinsText;
  std::string pinsSource;
  // How the simulated programmer is built and wired.
  SimulatedFamily simulateFamily = SimulatedFamily::Ftdi;
  FtdiChip simulateChip = FtdiChip::FT232R;
  PinAssignment simulateWiring;
  bool simulateBoardGiven = false;  // --simulate-chip, --simulate-pins or --simulate-invert-data
  bool verbose = false;  // --verbose: each step of the back end on standard error

  bool Simulated() const {
    return simulate || !simulateImages.empty() || !simulateFault.empty() || simulateBoardGiven;
  }
};

// What the pin options say, as given.
struct PinOptionTexts {
  std::optional<std::string> pins;  // --pins
  bool invertData = false;
  std::optional<std::string> simulatePins;
  bool simulateInvertData = false;
  std::optional<std::string> simulateChip;
};

// Fills the options' assignments from --pins (else QUARROW_PINS; else the wiring stored for the
// programmer, found at Connect, or the default board) and the simulation's. False with the reason, naming the option, when one cannot be used.
bool ResolvePinOptions(const PinOptionTexts& texts, DeviceOptions& options, std::string& error);

// The simulated programmer (as the options set it up) or the system's programmer library. Reports
// and returns null when the simulated chip's file cannot be opened. With --verbose, its steps are
// written to standard error as they happen.
std::unique_ptr<IProgrammerLibrary> CreateBackend(const DeviceOptions& options, Console& console);

// "No programmers found", followed by the back end's words when it has any: a programmer library
// that could not be loaded or could not list the USB devices says why, and what to do about it.
void ReportNoProgrammers(const IProgrammerLibrary& library, Console& console);

// One connected programmer; closes it when it goes.
class ChipSession {
 public:
  // Connects to the programmer the options name, or the first one listed, with the options' pins or
  // the wiring stored for it (said on standard error). Reports on failure.
  static std::unique_ptr<ChipSession> Connect(const DeviceOptions& options, Console& console,
                                              ExitStatus& status);
  ChipSession(const ChipSession&) = delete;
  ChipSession& operator=(const ChipSession&) = delete;

  // Reads all 128 bits. Reports and returns false unless every pin operation succeeded; `image`
  // then holds nothing the caller may use. A signal (Ctrl-C) stops the read at the next bit and
  // fails it; the program then drops the session and ends with InterruptedExitStatus().
  bool Read(PromImage& image, const std::string& label, Console& console);
  // Reads the chip `count` times under one progress bar, "LABEL (k of COUNT)"; `reads` receives
  // every read. Fails as Read does, at the first read that fails.
  bool ReadRepeatedly(int count, std::vector<PromImage>& reads, const std::string& label,
                      Console& console);
  // Runs the wiring self-test with the options' pin assignment.
  WiringSelfTestResult SelfTest();
  // Records the pin traffic of the reads and self-tests from here on into `trace` (set up for the
  // session's pin assignment), which must outlive them.
  void RecordInto(PinTrace& trace);

  // The serial number of the programmer in use, as its device list gave it.
  const std::string& Serial() const { return connection_.Programmer().serial; }
  const PinAssignment& Pins() const { return connection_.Pins(); }
  // The wiring in use by the programmer's own pins: "clock=GPIO17,reset=GPIO27,data=GPIO22".
  std::string PinsText() const { return connection_.PinsOfProgrammer().ShownText(connection_.Pins()); }

 private:
  explicit ChipSession(std::unique_ptr<IProgrammerLibrary> library)
      : library_(std::move(library)), connection_(*library_) {}
  bool ReadOnce(PromImage& image, ProgressBar& progress, Console& console);

  // A signal stays deferred until the connection has closed the programmer.
  SignalsDeferred signalsDeferred_;
  std::unique_ptr<IProgrammerLibrary> library_;
  // The window keeps its programmer open for the whole run; a command is done with it when the
  // session goes, and the connection's close hands the USB interface back to other programs.
  Connection connection_;
  PinTrace* trace_ = nullptr;
};

}  // namespace quarrow::cli
