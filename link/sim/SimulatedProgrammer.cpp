// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated programmer with an RP5H01 on its pins: by default an FTDI FT232R with the PROM on
// D0 (clock), D1 (reset) and D4 (data).
#include "SimulatedProgrammer.h"

#include <utility>

#include "Names.h"
#include "ProgrammerPins.h"

namespace quarrow {

namespace {

constexpr const char* kSource = "simulated programmer";

const char* FamilyName(SimulatedFamily family) {
  switch (family) {
    case SimulatedFamily::Ch341a: return kCh341aFamily;
    case SimulatedFamily::Gpio: return kGpioFamily;
    case SimulatedFamily::Ftdi: break;
  }
  return kFtdiFamily;
}

// The pins as each family's board names them; a GPIO chip's header lines go by their GPIO numbers.
std::vector<std::string> PinNamesOf(const SimulatedDevice& device) {
  std::vector<std::string> names;
  switch (device.family) {
    case SimulatedFamily::Ftdi: return BoardPinNames(device.chip, device.port);
    case SimulatedFamily::Ch341a: return Ch341aPinNames();
    case SimulatedFamily::Gpio:
      for (int line = 0; line < kSimulatedGpioLines; ++line) names.push_back("GPIO" + std::to_string(line));
      return names;
  }
  return names;
}

}  // namespace

std::optional<SimulatedFamily> SimulatedFamilyNamed(std::string_view name) {
  if (SameName(name, kCh341aFamily)) return SimulatedFamily::Ch341a;
  if (SameName(name, "gpio")) return SimulatedFamily::Gpio;
  return std::nullopt;
}

// An open simulated programmer: its calls go to the simulation, which knows it by its number.
class SimulatedOpenProgrammer final : public IOpenProgrammer {
 public:
  SimulatedOpenProgrammer(SimulatedProgrammer& sim, int id) : sim_(sim), id_(id) {}
  ~SimulatedOpenProgrammer() override { sim_.Close(id_); }
  SimulatedOpenProgrammer(const SimulatedOpenProgrammer&) = delete;
  SimulatedOpenProgrammer& operator=(const SimulatedOpenProgrammer&) = delete;

  bool SetOutputs(std::uint8_t mask) override { return sim_.SetOutputs(mask); }
  bool WritePins(std::uint8_t value) override { return sim_.WritePins(value); }
  bool ReadPins(std::uint8_t& value) override { return sim_.ReadPins(value); }
  ProgrammerError LastError() const override { return sim_.LastError(); }

 private:
  SimulatedProgrammer& sim_;
  int id_;
};

PromImage SimulatedSampleImage() {
  PromImage image;
  // Bytes in chip order 01 23 .. EF, then FE DC .. 10; each word holds its first byte lowest.
  image.word0 = std::bitset<64>(0xEFCDAB8967452301ULL);
  image.word1 = std::bitset<64>(0x1032547698BADCFEULL);
  return image;
}

SimulatedProgrammer::SimulatedProgrammer(const PromImage& chip) : prom_(chip) {}

FileStatus SimulatedProgrammer::LoadChipFile(const std::filesystem::path& path,
                                             ImageFileLayout layout) {
  PromImage chip;
  FileStatus status = OpenImageFile(path, layout, chip);
  if (status) SetChip(chip);
  return status;
}

void SimulatedProgrammer::SetChip(const PromImage& chip) {
  std::lock_guard lock(mutex_);
  prom_.SetBits(chip);
}

PromImage SimulatedProgrammer::Chip() const {
  std::lock_guard lock(mutex_);
  return prom_.Bits();
}

void SimulatedProgrammer::SetOptions(const SimulatedOptions& options) {
  std::lock_guard lock(mutex_);
  options_ = options;
}

SimulatedOptions SimulatedProgrammer::Options() const {
  std::lock_guard lock(mutex_);
  return options_;
}

std::vector<int> SimulatedProgrammer::OpenPlaces() const {
  std::lock_guard lock(mutex_);
  std::vector<int> places;
  for (const auto& [id, place] : open_) places.push_back(place);
  return places;
}

ProgrammerError SimulatedProgrammer::LastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

std::vector<std::string> SimulatedProgrammer::FamiliesSought() const {
  std::lock_guard lock(mutex_);
  return {FamilyName(options_.family)};
}

std::vector<SimulatedDevice> SimulatedProgrammer::CurrentDevicesLocked() const {
  if (options_.unplugged) return {};
  if (options_.devices) return *options_.devices;
  if (options_.family == SimulatedFamily::Ch341a)
    return {{kSimulatedCh341aPlace, kSimulatedDescription, FtdiChip::FT232R, 0, SimulatedFamily::Ch341a}};
  if (options_.family == SimulatedFamily::Gpio)
    return {{kSimulatedGpioChip, kSimulatedGpioLabel, FtdiChip::FT232R, 0, SimulatedFamily::Gpio}};
  const FtdiChipFacts& facts = FactsOf(options_.chip);
  std::vector<SimulatedDevice> devices;
  for (int port = 0; port < facts.interfaces; ++port) {
    // As FTDI's drivers list them: each port of a multi-port chip ends in its letter.
    const std::string suffix = facts.interfaces > 1 ? std::string(1, static_cast<char>('A' + port)) : "";
    devices.push_back({kSimulatedSerial + suffix, kSimulatedDescription + (suffix.empty() ? "" : " " + suffix),
                       options_.chip, port, SimulatedFamily::Ftdi});
  }
  return devices;
}

std::vector<FoundProgrammer> SimulatedProgrammer::List() {
  std::lock_guard lock(mutex_);
  listed_ = CurrentDevicesLocked();
  listMade_ = true;
  std::vector<FoundProgrammer> found;
  for (const SimulatedDevice& device : listed_) {
    FoundProgrammer programmer;
    programmer.family = FamilyName(device.family);
    if (device.family == SimulatedFamily::Ftdi) programmer.chip = device.chip;
    if (device.family == SimulatedFamily::Ch341a) programmer.model = kCh341aFamily;
    if (device.family == SimulatedFamily::Gpio) programmer.model = kSimulatedGpioLabel;
    programmer.serial = device.serial;
    programmer.description = device.description;
    programmer.port = device.port;
    programmer.pinNames = PinNamesOf(device);
    // The CH341A's D6 and D7 have no output driver.
    if (device.family == SimulatedFamily::Ch341a) programmer.inputOnly = kCh341aInputOnly;
    found.push_back(std::move(programmer));
  }
  return found;
}

ProgrammerFault SimulatedProgrammer::FailLocked(ProgrammerFault fault, ProgrammerProblem problem,
                                                std::string subject) {
  lastError_ = {};
  lastError_.problem = problem;
  lastError_.source = kSource;
  lastError_.family = FamilyName(options_.family);
  lastError_.subject = std::move(subject);
  return fault;
}

OpenedProgrammer SimulatedProgrammer::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  std::lock_guard lock(mutex_);
  return OpenLocked(choice, outputs);
}

OpenedProgrammer SimulatedProgrammer::OpenLocked(const ProgrammerChoice& choice, std::uint8_t outputs) {
  OpenedProgrammer result;
  ProgrammerFailure& failure = result.failure;
  const bool bySerial = !choice.serial.empty();
  failure.step = bySerial ? "open(\"" + choice.serial + "\")" : "open(" + std::to_string(choice.index) + ")";
  const std::vector<SimulatedDevice> devices = bySerial || !listMade_ ? CurrentDevicesLocked() : listed_;
  int place = -1;
  for (std::size_t i = 0; i < devices.size() && place < 0 && bySerial; ++i) {
    if (devices[i].serial == choice.serial) place = static_cast<int>(i);
  }
  if (!bySerial && choice.index >= 0 && choice.index < static_cast<int>(devices.size())) place = choice.index;
  // As the drivers do: a programmer is open once, here or in another program.
  bool inUse = options_.failOpen;
  for (const auto& [id, openPlace] : open_) inUse = inUse || openPlace == place;

  if (options_.unplugged) {
    failure.fault = FailLocked(ProgrammerFault::NotFound, ProgrammerProblem::Unplugged);
  } else if (place < 0) {
    failure.fault = bySerial ? FailLocked(ProgrammerFault::NotFound, ProgrammerProblem::NoSuchSerial, choice.serial)
                             : FailLocked(ProgrammerFault::NotFound, ProgrammerProblem::NoSuchPlace,
                                          std::to_string(choice.index));
  } else if (inUse) {
    failure.fault = FailLocked(ProgrammerFault::NotOpened, ProgrammerProblem::InUse);
  }
  if (failure.fault != ProgrammerFault::None) {
    failure.status = static_cast<long>(failure.fault);
    failure.error = lastError_;
    return result;
  }
  if (options_.family == SimulatedFamily::Ch341a && (outputs & 0xC0) != 0) {
    failure.stage = ProgrammerFailure::Stage::Setup;
    failure.fault = FailLocked(ProgrammerFault::InvalidParameter, ProgrammerProblem::InputOnlyPin,
                               PinName((outputs & 0x40) != 0 ? 6 : 7));
    failure.status = static_cast<long>(failure.fault);
    failure.error = lastError_;
    return result;
  }
  // A GPIO chip's lines are asked for by number; D0..D7 of any other programmer are its own.
  for (int pin = 0; pin < 8; ++pin) {
    const bool mapped = static_cast<std::size_t>(pin) < choice.lines.size();
    const int line = mapped ? choice.lines[static_cast<std::size_t>(pin)] : choice.lines.empty() ? pin : -1;
    portLines_[static_cast<std::size_t>(pin)] = line >= 0 && line < LinesLocked() ? line : -1;
  }
  const int id = nextId_++;
  open_[id] = place;
  driven_ = 0;
  for (int pin = 0; pin < 8; ++pin)
    if ((outputs >> pin) & 1u && portLines_[pin] >= 0) driven_ |= 1ULL << portLines_[pin];
  SettleChipLocked();
  result.programmer = std::make_unique<SimulatedOpenProgrammer>(*this, id);
  failure = {};
  return result;
}

void SimulatedProgrammer::Close(int id) {
  std::lock_guard lock(mutex_);
  open_.erase(id);
}

// A programmer pulled out takes nothing and gives nothing.
bool SimulatedProgrammer::PluggedInLocked() {
  if (!options_.unplugged) return true;
  FailLocked(ProgrammerFault::Io, ProgrammerProblem::Unplugged);
  return false;
}

bool SimulatedProgrammer::SetOutputs(std::uint8_t mask) {
  std::lock_guard lock(mutex_);
  if (!PluggedInLocked()) return false;
  if (options_.family == SimulatedFamily::Ch341a && (mask & 0xC0) != 0) {
    FailLocked(ProgrammerFault::InvalidParameter, ProgrammerProblem::InputOnlyPin, PinName((mask & 0x40) != 0 ? 6 : 7));
    return false;
  }
  driven_ = 0;
  for (int pin = 0; pin < 8; ++pin)
    if ((mask >> pin) & 1u && portLines_[pin] >= 0) driven_ |= 1ULL << portLines_[pin];
  SettleChipLocked();
  return true;
}

int SimulatedProgrammer::LinesLocked() const {
  switch (options_.family) {
    case SimulatedFamily::Ch341a: return 8;
    case SimulatedFamily::Gpio: return kSimulatedGpioLines;
    case SimulatedFamily::Ftdi: break;
  }
  return FactsOf(options_.chip).bitBangPins;
}

// The level on one of the chip's pins. The PROM drives its data line whatever the FTDI chip does
// (were the FTDI chip to drive that pin too, the simulation lets the PROM win; a real pair of
// outputs would fight, which the tests rule out through their recording of the driven pins); a pin
// the FTDI chip drives has the level written; an input pin floats high on the chip's internal
// pull-up. Pins the chip does not have read low.
bool SimulatedProgrammer::LevelLocked(int line) const {
  const PinAssignment& wiring = options_.wiring;
  if (line < 0 || line >= LinesLocked()) return false;
  if (line == wiring.data) {
    const bool flipped = prom_.StreamBit() == options_.unstableBit && prom_.Resets() % 2 == 0;
    return (prom_.Data() != flipped) != wiring.invertData;
  }
  if ((driven_ >> line) & 1u) return (written_ >> line) & 1u;
  return true;
}

// The PROM sees the levels of the pins it is wired to.
void SimulatedProgrammer::SettleChipLocked() {
  prom_.SetInputs(LevelLocked(options_.wiring.clock), LevelLocked(options_.wiring.reset));
}

bool SimulatedProgrammer::WritePins(std::uint8_t value) {
  std::lock_guard lock(mutex_);
  if (!PluggedInLocked()) return false;
  for (int pin = 0; pin < 8; ++pin) {
    const int line = portLines_[pin];
    if (line < 0) continue;
    written_ = ((value >> pin) & 1u) != 0 ? written_ | (1ULL << line) : written_ & ~(1ULL << line);
  }
  SettleChipLocked();
  return true;
}

bool SimulatedProgrammer::ReadPins(std::uint8_t& value) {
  std::lock_guard lock(mutex_);
  if (!PluggedInLocked()) return false;
  if (options_.failReadsFromBit >= 0 && prom_.ClocksSinceReset() >= options_.failReadsFromBit) {
    FailLocked(ProgrammerFault::Io, ProgrammerProblem::PinReadFailed);
    return false;
  }
  std::uint8_t levels = 0;
  for (int pin = 0; pin < 8; ++pin) {
    if (LevelLocked(portLines_[pin])) levels |= static_cast<std::uint8_t>(1u << pin);
  }
  value = levels;
  return true;
}

}  // namespace quarrow
