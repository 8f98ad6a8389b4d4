// SPDX-License-Identifier: GPL-3.0-or-later
// A hostile programmer as a byte string: the programmers the library lists, the PROM on the
// programmer, the entry (or typed serial) the person connects to, and what goes wrong during the
// read. The fuzz target parses it and the seed maker encodes it, so both share this one format.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ImageFile.h"

namespace quarrow::fuzz {

// A programmer as the library lists it.
struct ScenarioProgrammer {
  std::uint8_t chip = 0;    // its place in the chip table (0: FT232R), modulo the table's length
  std::uint8_t port = 0;    // modulo the chip's ports
  std::string serial;       // any bytes, zeros too
  std::string description;  // likewise, and longer than the list shows
};

// Things that happen to the programmer between two pin operations of a read.
enum class ScenarioAction : std::uint8_t {
  Unplug,
  Replug,
  Stop,              // the person asks the read to stop
  FailReadsFromBit,  // pin reads fail from `argument` clocks after the chip's reset
  ReadsNeverFail,
  kCount
};

struct ScenarioEvent {
  int atWait = 0;  // the event happens in this wait of the read (0 is the first); a read has 386
  ScenarioAction action = ScenarioAction::Unplug;
  std::uint8_t argument = 0;
};

inline constexpr std::size_t kMaxScenarioProgrammers = 8;
inline constexpr std::size_t kMaxScenarioEvents = 8;
inline constexpr int kScenarioWaitSpan = 400;

struct DeviceScenario {
  std::vector<ScenarioProgrammer> programmers;
  ImageFileBytes chip{};  // the PROM's image in the raw file layout
  bool failOpen = false;
  bool unplugged = false;
  bool typedSerial = false;     // connect to `serial` as typed rather than to a listed entry
  std::uint8_t entryChoice = 0; // which listed entry, modulo the number listed
  std::string serial;
  int failReadsFromBit = -1;
  std::vector<ScenarioEvent> events;
};

// Any byte string is a scenario: bytes past the end read as zero, counts wrap to their limits.
DeviceScenario ParseScenario(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> EncodeScenario(const DeviceScenario& scenario);

}  // namespace quarrow::fuzz
