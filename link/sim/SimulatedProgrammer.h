// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated programmer (an FTDI FT232R unless told otherwise; it can also pose as a CH341A or a
// GPIO chip) with an RP5H01 on its pins, a back end of the programmer interface: for demonstrating
// the tool without hardware and for testing the read-out, the device list and Connect.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FtdiChip.h"
#include "ImageFile.h"
#include "PinAssignment.h"
#include "ProgrammerLibrary.h"
#include "PromImage.h"
#include "SimulatedRp5h01.h"

namespace quarrow {

inline constexpr const char* kSimulatedSerial = "QSIM0001";
inline constexpr const char* kSimulatedDescription = "Simulated RP5H01 programmer";

// The chip the simulation holds unless told otherwise; its text is
// "0123456789ABCDEF FEDCBA9876543210".
PromImage SimulatedSampleImage();

// The family the simulated programmer poses as.
enum class SimulatedFamily { Ftdi, Ch341a, Gpio };

// How the posing programmers are known: a CH341A by its place on the bus, as it has no serial
// number; a GPIO chip by its device name, with the lines of a Raspberry Pi's header chip.
inline constexpr const char* kSimulatedCh341aPlace = "1-4";
inline constexpr const char* kSimulatedGpioChip = "gpiochip0";
inline constexpr const char* kSimulatedGpioLabel = "pinctrl-bcm2835";
inline constexpr int kSimulatedGpioLines = 54;

// A programmer the simulation lists, as a library would find it attached.
struct SimulatedDevice {
  std::string serial;
  std::string description;
  FtdiChip chip = FtdiChip::FT232R;  // when it poses as an FTDI chip
  int port = 0;  // 0 = port A
  SimulatedFamily family = SimulatedFamily::Ftdi;
};

// "CH341A" -> Ch341a, "gpio" -> Gpio, case-insensitive; nothing for the FTDI chips' names.
std::optional<SimulatedFamily> SimulatedFamilyNamed(std::string_view name);

// Ways to make the simulation misbehave. May be changed at any time, also during a read.
struct SimulatedOptions {
  // Pin reads fail once the chip has been clocked this many times since its last reset
  // (0: every read fails). Negative: reads never fail.
  int failReadsFromBit = -1;
  // The programmer has been pulled out: the list is empty, opens fail, and every operation on a
  // programmer opened earlier fails.
  bool unplugged = false;
  // Every open fails as when another program holds the programmer.
  bool failOpen = false;
  // This stream bit reads inverted on every other read (the second, fourth, ... since the
  // programmer was opened, a read being counted at each reset), as through a marginal contact.
  // Negative: every bit reads true.
  int unstableBit = -1;
  // Replaces the one simulated programmer in the list with these. Every listed programmer reaches
  // the same simulated chip.
  std::optional<std::vector<SimulatedDevice>> devices = std::nullopt;
  // The family the programmer poses as, and for an FTDI one the chip it is built on: its ports
  // (one listed programmer each, serials ending A, B, ...) and its bit-bang pins.
  SimulatedFamily family = SimulatedFamily::Ftdi;
  FtdiChip chip = FtdiChip::FT232R;
  // How the board connects the PROM to the chip's pins (a GPIO chip's by their line numbers), and
  // whether the data line passes an inverting buffer on its way.
  PinAssignment wiring = {};
};

class SimulatedProgrammer final : public IProgrammerLibrary {
 public:
  explicit SimulatedProgrammer(const PromImage& chip = SimulatedSampleImage());

  // Puts the chip from an image file into the programmer; on failure the chip stays as it was.
  FileStatus LoadChipFile(const std::filesystem::path& path, ImageFileLayout layout);
  void SetChip(const PromImage& chip);
  PromImage Chip() const;

  void SetOptions(const SimulatedOptions& options);
  SimulatedOptions Options() const;

  // The places in the list of the programmers open now, in the order they were opened.
  std::vector<int> OpenPlaces() const;

  std::vector<FoundProgrammer> List() override;
  // Every programmer it opened must go before the simulation does.
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;
  std::vector<std::string> FamiliesSought() const override;

 private:
  friend class SimulatedOpenProgrammer;

  std::vector<SimulatedDevice> CurrentDevicesLocked() const;
  OpenedProgrammer OpenLocked(const ProgrammerChoice& choice, std::uint8_t outputs);
  ProgrammerFault FailLocked(ProgrammerFault fault, ProgrammerProblem problem, std::string subject = {});
  bool PluggedInLocked();
  void Close(int id);
  bool SetOutputs(std::uint8_t mask);
  bool WritePins(std::uint8_t value);
  bool ReadPins(std::uint8_t& value);
  void SettleChipLocked();
  bool LevelLocked(int line) const;
  int LinesLocked() const;

  mutable std::mutex mutex_;
  SimulatedRp5h01 prom_;
  SimulatedOptions options_;
  std::vector<SimulatedDevice> listed_;  // the last List()'s
  bool listMade_ = false;
  std::map<int, int> open_;  // open programmer -> its place in the list
  int nextId_ = 1;

  // The programmer's lines (an FTDI or CH341A's are its D0..D7; a GPIO chip's are more): which
  // the open programmer's D0..D7 stand for, those driven and the levels last written to them.
  std::vector<int> portLines_ = {0, 1, 2, 3, 4, 5, 6, 7};
  std::uint64_t driven_ = ~0ULL;
  std::uint64_t written_ = 0;

  ProgrammerError lastError_;
};

}  // namespace quarrow
