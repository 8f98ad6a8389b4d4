// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated FTDI programmer with an RP5H01 on its pins: by default an FT232R with the PROM on
// D0 (clock), D1 (reset) and D4 (data).
#include "SimulatedProgrammer.h"

#include <algorithm>
#include <cstring>

namespace quarrow {

namespace {

// A device-list field as text: up to its terminator or the end of the field, whichever comes first.
template <std::size_t N>
void FillField(char (&field)[N], const std::string& text) {
  std::memcpy(field, text.data(), std::min(text.size(), N));
}

}  // namespace

FT_DEVICE_LIST_INFO_NODE SimulatedDeviceRecord(const std::string& serial,
                                               const std::string& description, std::uint32_t type) {
  FT_DEVICE_LIST_INFO_NODE node;
  node.Type = type;
  FillField(node.SerialNumber, serial);
  FillField(node.Description, description);
  return node;
}

PromImage SimulatedSampleImage() {
  PromImage image;
  // Bytes in chip order 01 23 .. EF, then FE DC .. 10; each word holds its first byte lowest.
  image.word0 = std::bitset<64>(0xEFCDAB8967452301ULL);
  image.word1 = std::bitset<64>(0x1032547698BADCFEULL);
  return image;
}

SimulatedProgrammer::SimulatedProgrammer(const PromImage& chip) : chip_(chip) {}

FileStatus SimulatedProgrammer::LoadChipFile(const std::filesystem::path& path,
                                             ImageFileLayout layout) {
  PromImage chip;
  FileStatus status = OpenImageFile(path, layout, chip);
  if (status) SetChip(chip);
  return status;
}

void SimulatedProgrammer::SetChip(const PromImage& chip) {
  std::lock_guard lock(mutex_);
  chip_ = chip;
}

PromImage SimulatedProgrammer::Chip() const {
  std::lock_guard lock(mutex_);
  return chip_;
}

void SimulatedProgrammer::SetOptions(const SimulatedOptions& options) {
  std::lock_guard lock(mutex_);
  options_ = options;
}

SimulatedOptions SimulatedProgrammer::Options() const {
  std::lock_guard lock(mutex_);
  return options_;
}

int SimulatedProgrammer::DeviceIndexOf(FT_HANDLE handle) const {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  return it == open_.end() ? -1 : it->second;
}

std::vector<FT_DEVICE_LIST_INFO_NODE> SimulatedProgrammer::CurrentDevicesLocked() const {
  if (options_.unplugged) return {};
  if (options_.devices) return *options_.devices;
  const FtdiChipFacts& facts = FactsOf(options_.chip);
  std::vector<FT_DEVICE_LIST_INFO_NODE> nodes;
  for (int i = 0; i < facts.interfaces; ++i) {
    // D2XX lists each port of a multi-port chip as a device whose serial ends in its letter.
    const std::string suffix = facts.interfaces > 1 ? std::string(1, static_cast<char>('A' + i)) : "";
    FT_DEVICE_LIST_INFO_NODE node = SimulatedDeviceRecord(
        kSimulatedSerial + suffix, kSimulatedDescription + (suffix.empty() ? "" : " " + suffix),
        facts.d2xxType);
    node.ID = 0x04030000u | facts.usbProduct;  // FTDI's vendor and the chip's product id
    nodes.push_back(node);
  }
  return nodes;
}

FT_STATUS SimulatedProgrammer::FailLocked(FT_STATUS status, std::string text) {
  lastError_ = std::move(text);
  return status;
}

FT_STATUS SimulatedProgrammer::CheckHandleLocked(FT_HANDLE handle) {
  if (open_.find(handle) == open_.end()) {
    return FailLocked(FT_INVALID_HANDLE, "simulated programmer: not a handle it gave out");
  }
  if (options_.unplugged) {
    return FailLocked(FT_IO_ERROR, "simulated programmer: unplugged; plug it in and connect again");
  }
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_CreateDeviceInfoList(std::uint32_t* count) {
  if (count == nullptr) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  listed_ = CurrentDevicesLocked();
  listMade_ = true;
  *count = static_cast<std::uint32_t>(listed_.size());
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list,
                                                    std::uint32_t* count) {
  if (list == nullptr || count == nullptr) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  std::uint32_t filled = 0;
  for (; filled < *count && filled < listed_.size(); ++filled) list[filled] = listed_[filled];
  *count = filled;
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::OpenLocked(int deviceIndex, FT_HANDLE* handle) {
  // As the drivers do: a device is open once, here or in another program.
  for (const auto& [openHandle, openIndex] : open_) {
    if (openIndex == deviceIndex) {
      return FailLocked(FT_DEVICE_NOT_OPENED,
                        "simulated programmer: in use by another program (or already connected here)");
    }
  }
  FT_HANDLE h = reinterpret_cast<FT_HANDLE>(nextHandle_);
  nextHandle_ += 0x10;
  open_[h] = deviceIndex;
  *handle = h;
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_OpenEx(const char* serial, std::uint32_t flags,
                                         FT_HANDLE* handle) {
  if (handle == nullptr || serial == nullptr) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  const std::string typed = serial;
  FT_STATUS status = FT_OK;
  if (flags != FT_OPEN_BY_SERIAL_NUMBER) {
    status = FailLocked(FT_INVALID_PARAMETER, "simulated programmer: opens by serial number only");
  } else if (options_.unplugged) {
    status = FailLocked(FT_DEVICE_NOT_FOUND, "simulated programmer: unplugged");
  } else if (options_.failOpen) {
    status = FailLocked(FT_DEVICE_NOT_OPENED, "simulated programmer: the device refused to open");
  } else {
    const auto devices = CurrentDevicesLocked();
    int found = -1;
    for (std::size_t i = 0; i < devices.size() && found < 0; ++i) {
      if (DeviceFieldText(devices[i].SerialNumber) == typed) found = static_cast<int>(i);
    }
    if (found < 0) {
      status = FailLocked(FT_DEVICE_NOT_FOUND,
                          "simulated programmer: no device with serial number \"" + typed + "\"");
    } else {
      status = OpenLocked(found, handle);
    }
  }
  return status;
}

FT_STATUS SimulatedProgrammer::FT_Open(int index, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  FT_STATUS status = FT_OK;
  const auto devices = listMade_ ? listed_ : CurrentDevicesLocked();
  if (options_.unplugged) {
    status = FailLocked(FT_DEVICE_NOT_FOUND, "simulated programmer: unplugged");
  } else if (options_.failOpen) {
    status = FailLocked(FT_DEVICE_NOT_OPENED, "simulated programmer: the device refused to open");
  } else if (index < 0 || static_cast<std::size_t>(index) >= devices.size()) {
    status = FailLocked(FT_DEVICE_NOT_FOUND,
                        "simulated programmer: no device at index " + std::to_string(index));
  } else {
    status = OpenLocked(index, handle);
  }
  return status;
}

FT_STATUS SimulatedProgrammer::FT_Close(FT_HANDLE handle) {
  std::lock_guard lock(mutex_);
  if (open_.erase(handle) == 0) {
    return FailLocked(FT_INVALID_HANDLE, "simulated programmer: not a handle it gave out");
  }
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask,
                                             std::uint8_t /*mode*/) {
  std::lock_guard lock(mutex_);
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  directionMask_ = mask;
  SettleChipLocked();
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t /*baud*/) {
  std::lock_guard lock(mutex_);
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t /*readMs*/,
                                              std::uint32_t /*writeMs*/) {
  std::lock_guard lock(mutex_);
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_ResetDevice(FT_HANDLE handle) {
  std::lock_guard lock(mutex_);
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  return FT_OK;
}

// The level on one of the chip's pins. The PROM drives its data line whatever the FTDI chip does
// (were the FTDI chip to drive that pin too, the simulation lets the PROM win; a real pair of
// outputs would fight, which the tests rule out through their recording of the driven pins); a pin the FTDI chip drives has the
// level written; an input pin floats high on the chip's internal pull-up. Pins the chip does not
// have read low.
bool SimulatedProgrammer::LevelLocked(int pin) const {
  const PinAssignment& wiring = options_.wiring;
  if (pin >= FactsOf(options_.chip).bitBangPins) return false;
  if (pin == wiring.data) {
    const bool flipped = bitCounter_ == options_.unstableBit && resets_ % 2 == 0;
    return (chip_.Bit(bitCounter_) != flipped) != wiring.invertData;
  }
  if (directionMask_ & (1u << pin)) return (pins_ >> pin) & 1u;
  return true;
}

// The PROM sees the levels of the pins it is wired to: a high reset holds it at stream bit 0, and
// each falling clock edge outside the reset moves it on by one bit.
void SimulatedProgrammer::SettleChipLocked() {
  const bool clock = LevelLocked(options_.wiring.clock);
  const bool reset = LevelLocked(options_.wiring.reset);
  const bool clockFell = promClock_ && !clock;
  if (!promReset_ && reset) ++resets_;
  promClock_ = clock;
  promReset_ = reset;
  if (reset) {
    bitCounter_ = 0;
    clocksSinceReset_ = 0;
  } else if (clockFell) {
    bitCounter_ = (bitCounter_ + 1) % PromImage::kBits;
    ++clocksSinceReset_;
  }
}

void SimulatedProgrammer::DriveLocked(std::uint8_t value) {
  pins_ = value;
  SettleChipLocked();
}

FT_STATUS SimulatedProgrammer::FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                                        std::uint32_t* written) {
  std::lock_guard lock(mutex_);
  if (written != nullptr) *written = 0;
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  if (data == nullptr && size > 0) return FailLocked(FT_INVALID_PARAMETER, "simulated programmer: no data");
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::uint32_t i = 0; i < size; ++i) {
    DriveLocked(bytes[i]);
  }
  if (written != nullptr) *written = size;
  return FT_OK;
}

FT_STATUS SimulatedProgrammer::FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) {
  std::lock_guard lock(mutex_);
  if (FT_STATUS s = CheckHandleLocked(handle)) return s;
  if (pins == nullptr) return FailLocked(FT_INVALID_PARAMETER, "simulated programmer: no buffer");
  if (options_.failReadsFromBit >= 0 && clocksSinceReset_ >= options_.failReadsFromBit) {
    return FailLocked(FT_IO_ERROR, "simulated programmer: pin read failed");
  }
  std::uint8_t levels = 0;
  for (int pin = 0; pin < 8; ++pin) {
    if (LevelLocked(pin)) levels |= static_cast<std::uint8_t>(1u << pin);
  }
  *pins = levels;
  return FT_OK;
}

std::string SimulatedProgrammer::LastErrorText() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

}  // namespace quarrow
