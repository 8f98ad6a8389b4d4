// SPDX-License-Identifier: GPL-3.0-or-later
// The device list, Connect with its bit-bang set-up, and the pin port over a connected
// programmer.
#include "Programmer.h"

#include <algorithm>
#include <string_view>

namespace quarrow {

namespace {

// The longest description an entry shows, as the window's list has always shown it.
constexpr std::size_t kMaxDescriptionChars = 63;

unsigned char Folded(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Case-insensitive text order, as the window's sorted list keeps its entries.
int CompareFolded(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = Folded(a[i]);
    const unsigned char cb = Folded(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
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

}  // namespace

std::vector<DeviceEntry> EnumerateProgrammers(ID2xx& d2xx) {
  std::uint32_t count = 0;
  if (d2xx.FT_CreateDeviceInfoList(&count) != FT_OK || count == 0) return {};
  std::vector<FT_DEVICE_LIST_INFO_NODE> records(count);
  std::uint32_t filled = count;
  if (d2xx.FT_GetDeviceInfoList(records.data(), &filled) != FT_OK) return {};
  filled = std::min(filled, count);

  std::vector<DeviceEntry> entries;
  for (std::uint32_t i = 0; i < filled; ++i) {
    const FT_DEVICE_LIST_INFO_NODE& record = records[i];
    const std::string description = DeviceFieldText(record.Description, kMaxDescriptionChars);
    const std::optional<FtdiChip> chip = ChipOfRecord(record.Type, description);
    if (!chip) continue;
    DeviceEntry entry;
    entry.serial = DeviceFieldText(record.SerialNumber);
    entry.text = entry.serial + " - " +
                 (record.Type == FT_DEVICE_232R
                      ? description
                      : std::string(FactsOf(*chip).name) + " (" + description + ")");
    entry.index = static_cast<int>(i);
    entry.chip = chip;
    entry.port = PortOfRecord(FactsOf(*chip), entry.serial, description);
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const DeviceEntry& a, const DeviceEntry& b) {
    if (int c = CompareFolded(a.text, b.text)) return c < 0;
    if (a.text != b.text) return a.text < b.text;
    return a.index < b.index;
  });
  return entries;
}

ConnectResult ConnectProgrammer(ID2xx& d2xx, const DeviceEntry& entry, FT_HANDLE& handle,
                                const PinAssignment& pins) {
  ConnectResult result;
  if (entry.chip) {
    result.pinsMissing = PinsOnChip(*entry.chip, pins, entry.port);
    if (result.pinsMissing) return result;
  }
  const bool bySerial = !entry.serial.empty();
  if (!bySerial && entry.index < 0) {
    result.failure = ConnectResult::Failure::NoSerial;
    return result;
  }
  // The library takes the serial as zero-terminated text: a zero character inside a typed serial
  // would cut it short and open another device than the one typed, or one without a serial.
  if (bySerial && entry.serial.find('\0') != std::string::npos) {
    result.failure = ConnectResult::Failure::NulInSerial;
    return result;
  }
  FT_HANDLE opened = nullptr;
  const FT_STATUS status = bySerial
                               ? d2xx.FT_OpenEx(entry.serial.c_str(), FT_OPEN_BY_SERIAL_NUMBER, &opened)
                               : d2xx.FT_Open(entry.index, &opened);
  if (status != FT_OK || opened == nullptr) {
    result.failure = ConnectResult::Failure::OpenFailed;
    result.call = bySerial ? "FT_OpenEx(\"" + entry.serial + "\")" : "FT_Open(" + std::to_string(entry.index) + ")";
    result.status = status;
    result.error = d2xx.LastErrorText();
    return result;
  }
  // Asynchronous bit-bang. 300 baud paces the bit-bang clock slowly, which suits the PROM; the
  // protocol's own waits do the rest. A device left in another mode would clock nothing and read
  // back whatever its pins float to, so every step must take.
  auto failed = [&](const char* call, FT_STATUS status) {
    if (status == FT_OK) return false;
    result.failure = ConnectResult::Failure::SetupFailed;
    result.call = call;
    result.status = status;
    result.error = d2xx.LastErrorText();
    d2xx.FT_Close(opened);
    return true;
  };
  if (failed("FT_SetBitMode", d2xx.FT_SetBitMode(opened, pins.DirectionMask(), FT_BITMODE_ASYNC_BITBANG)) ||
      failed("FT_SetBaudRate", d2xx.FT_SetBaudRate(opened, 300)) ||
      failed("FT_SetTimeouts", d2xx.FT_SetTimeouts(opened, 2000, 1000)) ||
      failed("FT_ResetDevice", d2xx.FT_ResetDevice(opened))) {
    return result;
  }
  handle = opened;
  result.ok = true;
  return result;
}

DeviceEntry EntryForSerial(const std::string& serial) {
  DeviceEntry entry;
  entry.text = serial;
  entry.serial = serial;
  entry.index = -1;
  return entry;
}

bool SameProgrammer(const DeviceEntry& a, const DeviceEntry& b) {
  if (a.serial.empty() != b.serial.empty()) return false;
  return a.serial.empty() ? a.index == b.index : a.serial == b.serial;
}

bool CD2xxPinPort::WritePins(std::uint8_t value) {
  std::uint32_t written = 0;
  // A library may report success for a write that did not reach the pins.
  return d2xx_.FT_Write(handle_, &value, 1, &written) == FT_OK && written == 1;
}

bool CD2xxPinPort::ReadPins(std::uint8_t& value) {
  std::uint8_t pins = 0;
  if (d2xx_.FT_GetBitMode(handle_, &pins) != FT_OK) return false;
  value = pins;
  return true;
}

}  // namespace quarrow
