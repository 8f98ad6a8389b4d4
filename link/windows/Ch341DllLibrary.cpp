// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341 DLL's chips as programmers, and their pins.
#include "Ch341DllLibrary.h"

#include "ProgrammerPins.h"

namespace quarrow {

namespace {

// The pins of `mask` beyond D5 that the chip cannot drive: the first by its name, or empty.
std::string InputOnlyPinOf(std::uint8_t mask) {
  for (int pin = 6; pin < 8; ++pin) {
    if (mask & (1u << pin)) return "D" + std::to_string(pin);
  }
  return {};
}

// The DLL's own failure when it could not be loaded whole: then it has no chips, and that is why.
// Its other failures belong to the calls that made them.
ProgrammerError DriverFailure(const ICh341Dll& dll) {
  ProgrammerError error = dll.LastError();
  switch (error.problem) {
    case ProgrammerProblem::DriverMissing:
    case ProgrammerProblem::DriverCopyBroken:
    case ProgrammerProblem::DriverIncomplete:
    case ProgrammerProblem::DriverOutdated: return error;
    default: return {};
  }
}

ProgrammerError InputOnly(const std::string& pin) {
  return {ProgrammerProblem::InputOnlyPin, kCh341aFamily, kCh341aFamily, pin, ""};
}

// One CH341A opened through the DLL. The DLL sets directions and levels in one call, so both are
// kept here: a change of one is sent with the other as it was.
class Ch341DllProgrammer final : public IOpenProgrammer {
 public:
  Ch341DllProgrammer(ICh341Dll& dll, std::uint32_t index, std::uint8_t directions)
      : dll_(dll), index_(index), directions_(directions) {}
  ~Ch341DllProgrammer() override { dll_.CH341CloseDevice(index_); }
  Ch341DllProgrammer(const Ch341DllProgrammer&) = delete;
  Ch341DllProgrammer& operator=(const Ch341DllProgrammer&) = delete;

  bool SetOutputs(std::uint8_t mask) override {
    if (const std::string pin = InputOnlyPinOf(mask); !pin.empty()) return Failed(InputOnly(pin));
    std::lock_guard lock(pins_);
    if (!dll_.CH341Set_D5_D0(index_, mask, levels_)) return Failed(dll_.LastError());
    directions_ = mask;
    return true;
  }
  bool WritePins(std::uint8_t value) override {
    std::lock_guard lock(pins_);
    // D6 and D7 cannot be driven; their bits in `value` have nowhere to go.
    const auto levels = static_cast<std::uint8_t>(value & kCh341DrivablePins);
    if (!dll_.CH341Set_D5_D0(index_, directions_, levels)) return Failed(dll_.LastError());
    levels_ = levels;
    return true;
  }
  bool ReadPins(std::uint8_t& value) override {
    std::uint32_t status = 0;
    {
      std::lock_guard lock(pins_);
      if (!dll_.CH341GetInput(index_, &status)) return Failed(dll_.LastError());
    }
    value = static_cast<std::uint8_t>(status & 0xFF);  // D7..D0; the chip's other pins above
    return true;
  }
  ProgrammerError LastError() const override {
    std::lock_guard lock(errorMutex_);
    return lastError_;
  }

 private:
  bool Failed(ProgrammerError error) {
    std::lock_guard lock(errorMutex_);
    lastError_ = std::move(error);
    return false;
  }

  ICh341Dll& dll_;
  const std::uint32_t index_;
  std::mutex pins_;  // the worker's pin calls and another thread's SetOutputs take turns
  std::uint8_t directions_;
  std::uint8_t levels_ = 0;
  mutable std::mutex errorMutex_;
  ProgrammerError lastError_;
};

}  // namespace

ProgrammerError Ch341DllLibrary::LastError() const { return listed_.LastError(); }

// A CH341A has no serial number. The DLL's numbers follow the order the driver found the chips in,
// which a re-plug changes; the device name is the system's name for the chip in its USB socket,
// which stays while it is plugged into the same socket, and tells two CH341As apart. The name is
// the identity; the number is looked up again at each open.
std::vector<FoundProgrammer> Ch341DllLibrary::List() {
  std::vector<FoundProgrammer> found;
  std::vector<std::string> listed;
  for (std::uint32_t index = 0; index < kCh341MostDevices; ++index) {
    std::string name = dll_.CH341GetDeviceName(index);
    if (name.empty()) continue;  // a place the DLL has no chip at; later ones may still have one
    FoundProgrammer programmer;
    programmer.family = kCh341aFamily;
    programmer.model = "CH341A";
    programmer.serial = name;
    programmer.description = "CH341A";  // the DLL gives no product text
    programmer.pinNames = Ch341aPinNames();
    programmer.inputOnly = kCh341aInputOnly;
    found.push_back(std::move(programmer));
    listed.push_back(std::move(name));
  }
  listed_.Listed(std::move(listed), DriverFailure(dll_));
  return found;
}

OpenedProgrammer Ch341DllLibrary::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  // Refused before anything is opened: the chip is never asked to do what it cannot.
  if (const std::string pin = InputOnlyPinOf(outputs); !pin.empty()) {
    return listed_.Fail(InputOnly(pin), "CH341Set_D5_D0", ProgrammerFault::InvalidParameter, 0);
  }
  const std::string name = listed_.SerialOf(choice);
  // The number the chip of that name has now.
  std::optional<std::uint32_t> index;
  for (std::uint32_t i = 0; !name.empty() && !index && i < kCh341MostDevices; ++i) {
    if (dll_.CH341GetDeviceName(i) == name) index = i;
  }
  if (!index) {
    ProgrammerError absent = ListedProgrammers::Absent(choice, kCh341aFamily, kCh341aFamily);
    if (const ProgrammerError driver = DriverFailure(dll_); driver.Failed()) absent = driver;
    return listed_.Fail(std::move(absent), "CH341GetDeviceName", ProgrammerFault::NotFound, 0);
  }
  if (!dll_.CH341OpenDevice(*index)) {
    return listed_.Fail(dll_.LastError(), "CH341OpenDevice(" + std::to_string(*index) + ")", ProgrammerFault::NotOpened, 0);
  }
  // Outputs low until the read-out sets them: the levels of an earlier program are not kept.
  if (!dll_.CH341Set_D5_D0(*index, outputs, 0)) {
    OpenedProgrammer result = listed_.Fail(dll_.LastError(), "CH341Set_D5_D0", ProgrammerFault::Io, 0);
    result.failure.stage = ProgrammerFailure::Stage::Setup;
    dll_.CH341CloseDevice(*index);
    return result;
  }
  OpenedProgrammer opened;
  opened.programmer = std::make_unique<Ch341DllProgrammer>(dll_, *index, outputs);
  listed_.Record({});
  return opened;
}

}  // namespace quarrow
