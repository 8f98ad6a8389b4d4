// SPDX-License-Identifier: GPL-3.0-or-later
// The device list and Connect.
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

}  // namespace

std::vector<DeviceEntry> EnumerateProgrammers(IProgrammerLibrary& library) {
  const std::vector<FoundProgrammer> found = library.List();
  std::vector<DeviceEntry> entries;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const FoundProgrammer& programmer = found[i];
    DeviceEntry entry;
    entry.serial = programmer.serial;
    entry.description = programmer.description.substr(0, kMaxDescriptionChars);
    entry.description.resize(std::min(entry.description.size(), entry.description.find('\0')));
    const bool plain = !programmer.chip || *programmer.chip == FtdiChip::FT232R || *programmer.chip == FtdiChip::FT245R;
    const std::string model = programmer.chip ? std::string(FactsOf(*programmer.chip).name) : programmer.model;
    entry.text = entry.serial + " - " +
                 (plain && (programmer.chip || model.empty() || model == entry.description)
                      ? entry.description
                      : model + " (" + entry.description + ")");
    entry.index = static_cast<int>(i);
    entry.chip = programmer.chip;
    entry.port = programmer.port;
    entry.family = programmer.family;
    entry.model = programmer.model;
    entry.inputOnly = programmer.inputOnly;
    entry.pinNames = programmer.pinNames;
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const DeviceEntry& a, const DeviceEntry& b) {
    if (int c = CompareFolded(a.text, b.text)) return c < 0;
    if (a.text != b.text) return a.text < b.text;
    return a.index < b.index;
  });
  return entries;
}

ConnectResult ConnectProgrammer(IProgrammerLibrary& library, const DeviceEntry& entry,
                                std::unique_ptr<IOpenProgrammer>& opened, const PinAssignment& pins) {
  ConnectResult result;
  const ProgrammerPins programmer = PinsOf(entry);
  result.pinsRefused = PinsOnProgrammer(programmer, pins);
  if (result.pinsRefused) return result;
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
  ProgrammerChoice choice;
  choice.serial = entry.serial;
  choice.index = bySerial ? -1 : entry.index;
  choice.family = entry.family;
  if (programmer.Compact()) choice.lines = {pins.clock, pins.reset, pins.data};
  OpenedProgrammer open = library.Open(choice, CompactPortWiring(programmer, pins).DirectionMask());
  if (!open.programmer) {
    const bool setUp = open.failure.stage == ProgrammerFailure::Stage::Setup;
    result.failure = setUp ? ConnectResult::Failure::SetupFailed : ConnectResult::Failure::OpenFailed;
    result.call = open.failure.step;
    result.fault = open.failure.fault;
    result.status = open.failure.status;
    result.error = open.failure.error;
    return result;
  }
  opened = std::move(open.programmer);
  result.ok = true;
  return result;
}

PinAssignment CompactPortWiring(const ProgrammerPins& programmer, const PinAssignment& pins) {
  if (!programmer.Compact()) return pins;
  PinAssignment port;
  port.clock = 0;
  port.reset = 1;
  port.data = 2;
  port.invertData = pins.invertData;
  return port;
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

}  // namespace quarrow
