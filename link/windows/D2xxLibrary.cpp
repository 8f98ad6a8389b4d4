// SPDX-License-Identifier: GPL-3.0-or-later
// D2XX's device records as programmers, and its open and set-up calls.
#include "D2xxLibrary.h"

#include <algorithm>

namespace quarrow {

namespace {

ProgrammerFault FaultOf(FT_STATUS status) {
  switch (status) {
    case FT_OK: return ProgrammerFault::None;
    case FT_INVALID_HANDLE: return ProgrammerFault::InvalidHandle;
    case FT_DEVICE_NOT_FOUND: return ProgrammerFault::NotFound;
    case FT_DEVICE_NOT_OPENED: return ProgrammerFault::NotOpened;
    case FT_IO_ERROR: return ProgrammerFault::Io;
    case FT_INVALID_PARAMETER: return ProgrammerFault::InvalidParameter;
    default: return ProgrammerFault::Other;
  }
}

// The port a device record stands for: D2XX lists each port of a multi-port chip as a device whose
// serial number (if it has one) and description end in the port's letter.
int PortOfRecord(const FtdiChipFacts& facts, const std::string& serial, const std::string& description) {
  if (facts.interfaces < 2) return 0;
  for (const std::string* text : {&serial, &description}) {
    if (text->empty()) continue;
    const char letter = text->back();
    if (letter >= 'A' && letter < 'A' + facts.interfaces) return letter - 'A';
  }
  return 0;
}

ProgrammerError ErrorOf(const ID2xx& d2xx) { return d2xx.LastError(); }

class D2xxProgrammer final : public IOpenProgrammer {
 public:
  D2xxProgrammer(ID2xx& d2xx, FT_HANDLE handle) : d2xx_(d2xx), handle_(handle) {}
  ~D2xxProgrammer() override { d2xx_.FT_Close(handle_); }
  D2xxProgrammer(const D2xxProgrammer&) = delete;
  D2xxProgrammer& operator=(const D2xxProgrammer&) = delete;

  bool SetOutputs(std::uint8_t mask) override {
    return d2xx_.FT_SetBitMode(handle_, mask, FT_BITMODE_ASYNC_BITBANG) == FT_OK;
  }
  bool WritePins(std::uint8_t value) override {
    std::uint32_t written = 0;
    // A library may report success for a write that did not reach the pins.
    return d2xx_.FT_Write(handle_, &value, 1, &written) == FT_OK && written == 1;
  }
  bool ReadPins(std::uint8_t& value) override {
    std::uint8_t pins = 0;
    if (d2xx_.FT_GetBitMode(handle_, &pins) != FT_OK) return false;
    value = pins;
    return true;
  }
  ProgrammerError LastError() const override { return ErrorOf(d2xx_); }

 private:
  ID2xx& d2xx_;
  FT_HANDLE handle_;
};

}  // namespace

ProgrammerError D2xxLibrary::LastError() const { return ErrorOf(d2xx_); }

std::vector<FoundProgrammer> D2xxLibrary::List() {
  std::lock_guard lock(mutex_);
  recordIndex_.clear();
  std::uint32_t count = 0;
  if (d2xx_.FT_CreateDeviceInfoList(&count) != FT_OK || count == 0) return {};
  std::vector<FT_DEVICE_LIST_INFO_NODE> records(count);
  std::uint32_t filled = count;
  if (d2xx_.FT_GetDeviceInfoList(records.data(), &filled) != FT_OK) return {};
  filled = std::min(filled, count);

  std::vector<FoundProgrammer> found;
  for (std::uint32_t i = 0; i < filled; ++i) {
    const FT_DEVICE_LIST_INFO_NODE& record = records[i];
    FoundProgrammer programmer;
    programmer.description = DeviceFieldText(record.Description);
    programmer.chip = ChipOfRecord(record.Type, programmer.description);
    if (!programmer.chip) continue;
    programmer.family = "FTDI";
    programmer.serial = DeviceFieldText(record.SerialNumber);
    programmer.port = PortOfRecord(FactsOf(*programmer.chip), programmer.serial, programmer.description);
    programmer.pinNames = BoardPinNames(*programmer.chip, programmer.port);
    found.push_back(std::move(programmer));
    recordIndex_.push_back(static_cast<int>(i));
  }
  return found;
}

OpenedProgrammer D2xxLibrary::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  OpenedProgrammer result;
  ProgrammerFailure& failure = result.failure;
  const bool bySerial = !choice.serial.empty();
  int record = -1;
  {
    std::lock_guard lock(mutex_);
    if (!bySerial && choice.index >= 0 && choice.index < static_cast<int>(recordIndex_.size())) {
      record = recordIndex_[static_cast<std::size_t>(choice.index)];
    }
  }
  // An index the last list did not have reaches D2XX as it is, which refuses it in its own words.
  if (!bySerial && record < 0) record = choice.index;
  FT_HANDLE handle = nullptr;
  const FT_STATUS opened = bySerial ? d2xx_.FT_OpenEx(choice.serial.c_str(), FT_OPEN_BY_SERIAL_NUMBER, &handle)
                                    : d2xx_.FT_Open(record, &handle);
  if (opened != FT_OK || handle == nullptr) {
    failure.step = bySerial ? "FT_OpenEx(\"" + choice.serial + "\")" : "FT_Open(" + std::to_string(record) + ")";
    failure.fault = FaultOf(opened);
    failure.status = static_cast<long>(opened);
    failure.error = ErrorOf(d2xx_);
    return result;
  }
  // Asynchronous bit-bang. 300 baud paces the bit-bang clock slowly, which suits the PROM; the
  // protocol's own waits do the rest. A device left in another mode would clock nothing and read
  // back whatever its pins float to, so every step must take.
  auto failed = [&](const char* call, FT_STATUS status) {
    if (status == FT_OK) return false;
    failure.stage = ProgrammerFailure::Stage::Setup;
    failure.step = call;
    failure.fault = FaultOf(status);
    failure.status = static_cast<long>(status);
    failure.error = ErrorOf(d2xx_);
    d2xx_.FT_Close(handle);
    return true;
  };
  if (failed("FT_SetBitMode", d2xx_.FT_SetBitMode(handle, outputs, FT_BITMODE_ASYNC_BITBANG)) ||
      failed("FT_SetBaudRate", d2xx_.FT_SetBaudRate(handle, 300)) ||
      failed("FT_SetTimeouts", d2xx_.FT_SetTimeouts(handle, 2000, 1000)) ||
      failed("FT_ResetDevice", d2xx_.FT_ResetDevice(handle))) {
    return result;
  }
  result.programmer = std::make_unique<D2xxProgrammer>(d2xx_, handle);
  return result;
}

}  // namespace quarrow
