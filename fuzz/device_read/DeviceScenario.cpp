// SPDX-License-Identifier: GPL-3.0-or-later
// The byte layout of a scenario, front to back:
//   u8 programmer count; per programmer: u8 chip, u8 port, u8 length + serial bytes,
//   u8 length + description bytes;
//   16 chip bytes; u8 flags (1 open fails, 2 unplugged, 4 typed serial);
//   u8 entry choice, or u8 length + typed serial bytes; u8 failing-reads bit (255: never);
//   u8 event count; per event: u16 wait (little-endian), u8 action, u8 argument.
#include "DeviceScenario.h"

namespace quarrow::fuzz {

namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t Byte() { return next_ < bytes_.size() ? bytes_[next_++] : 0; }
  std::uint32_t Word(int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint32_t{Byte()} << (8 * i);
    return value;
  }
  std::string Text() {
    std::string text(Byte(), '\0');
    for (char& c : text) c = static_cast<char>(Byte());
    return text;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

class Writer {
 public:
  void Byte(std::uint32_t value) { bytes.push_back(static_cast<std::uint8_t>(value)); }
  void Word(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Byte(value >> (8 * i));
  }
  void Text(const std::string& text) {
    const std::size_t length = text.size() < 255 ? text.size() : 255;
    Byte(static_cast<std::uint32_t>(length));
    bytes.insert(bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
  }
  std::vector<std::uint8_t> bytes;
};

enum Flags : std::uint8_t { kFailOpen = 1, kUnplugged = 2, kTypedSerial = 4 };

}  // namespace

DeviceScenario ParseScenario(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  DeviceScenario s;
  s.programmers.resize(in.Byte() % (kMaxScenarioProgrammers + 1));
  for (ScenarioProgrammer& programmer : s.programmers) {
    programmer.chip = in.Byte();
    programmer.port = in.Byte();
    programmer.serial = in.Text();
    programmer.description = in.Text();
  }
  for (std::uint8_t& b : s.chip) b = in.Byte();
  const std::uint8_t flags = in.Byte();
  s.failOpen = flags & kFailOpen;
  s.unplugged = flags & kUnplugged;
  s.typedSerial = flags & kTypedSerial;
  if (s.typedSerial) {
    s.serial = in.Text();
  } else {
    s.entryChoice = in.Byte();
  }
  const std::uint8_t failFrom = in.Byte();
  s.failReadsFromBit = failFrom == 255 ? -1 : failFrom;
  s.events.resize(in.Byte() % (kMaxScenarioEvents + 1));
  for (ScenarioEvent& event : s.events) {
    event.atWait = static_cast<int>(in.Word(2) % kScenarioWaitSpan);
    event.action = static_cast<ScenarioAction>(in.Byte() % static_cast<int>(ScenarioAction::kCount));
    event.argument = in.Byte();
  }
  return s;
}

std::vector<std::uint8_t> EncodeScenario(const DeviceScenario& s) {
  Writer out;
  out.Byte(static_cast<std::uint32_t>(s.programmers.size()));
  for (const ScenarioProgrammer& programmer : s.programmers) {
    out.Byte(programmer.chip);
    out.Byte(programmer.port);
    out.Text(programmer.serial);
    out.Text(programmer.description);
  }
  for (std::uint8_t b : s.chip) out.Byte(b);
  out.Byte((s.failOpen ? kFailOpen : 0) | (s.unplugged ? kUnplugged : 0) |
           (s.typedSerial ? kTypedSerial : 0));
  if (s.typedSerial) {
    out.Text(s.serial);
  } else {
    out.Byte(s.entryChoice);
  }
  out.Byte(s.failReadsFromBit < 0 ? 255 : static_cast<std::uint32_t>(s.failReadsFromBit));
  out.Byte(static_cast<std::uint32_t>(s.events.size()));
  for (const ScenarioEvent& event : s.events) {
    out.Word(static_cast<std::uint32_t>(event.atWait), 2);
    out.Byte(static_cast<std::uint32_t>(event.action));
    out.Byte(event.argument);
  }
  return out.bytes;
}

}  // namespace quarrow::fuzz
