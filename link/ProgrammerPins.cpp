// SPDX-License-Identifier: GPL-3.0-or-later
// The pins of a programmer of any family, by the names people find them by.
#include "ProgrammerPins.h"

#include <algorithm>
#include <cctype>

#include "Names.h"
#include "Programmer.h"

namespace quarrow {

namespace {

// The names the common CH341A programmer's 25-series socket prints, by D-number. WCH's CH341
// datasheet gives the same pins' serial-interface functions: D0 is CS0, D3 is DCK (the clock), D5
// is DOUT (the chip's output, the socket's MOSI) and D7 is DIN (its input, the socket's MISO).
constexpr const char* kCh341aSocketNames[8] = {"CS", nullptr, nullptr, "CLK", nullptr, "MOSI", nullptr, "MISO"};

std::vector<std::string> SplitNames(const std::string& shown) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = shown.find('/', start);
    names.push_back(shown.substr(start, slash - start));
    if (slash == std::string::npos) return names;
    start = slash + 1;
  }
}

}  // namespace

std::vector<std::string> Ch341aPinNames() {
  std::vector<std::string> names;
  for (int pin = 0; pin < 8; ++pin) {
    const char* socket = kCh341aSocketNames[pin];
    names.push_back(PinName(pin) + (socket ? std::string("/") + socket : std::string()));
  }
  return names;
}

bool ProgrammerPins::Compact() const { return family == kGpioFamily; }

std::string ProgrammerPins::NameOf(int pin) const {
  if (pin >= 0 && pin < static_cast<int>(names.size()) && !names[static_cast<std::size_t>(pin)].empty()) {
    const std::vector<std::string>& own = names[static_cast<std::size_t>(pin)];
    if (family == kCh341aFamily) return own.size() > 1 ? own[0] + "/" + own[1] : own[0];
    return own[0];
  }
  return Compact() ? chipName + ":" + std::to_string(pin) : PinName(pin);
}

std::optional<NamedPin> ProgrammerPins::PinNamed(std::string_view name) const {
  for (std::size_t pin = 0; pin < names.size(); ++pin) {
    for (const std::string& own : names[pin]) {
      if (!own.empty() && SameName(own, name)) return NamedPin{static_cast<int>(pin), -1, Compact() ? chipName : ""};
    }
  }
  std::optional<NamedPin> named = ParseBoardPinName(name);
  // A GPIO chip's lines go by its own names and CHIP:OFFSET only: D4 or TXD name no line of it.
  if (named && Compact() && named->chip.empty()) return std::nullopt;
  return named;
}

bool ProgrammerPins::InputOnly(int pin) const {
  return pin >= 0 && pin < static_cast<int>(inputOnly.size()) && inputOnly[static_cast<std::size_t>(pin)];
}

std::string ProgrammerPins::Text(const PinAssignment& pins) const {
  PinAssignment named = pins;
  named.namedChip = Compact() ? chipName : std::string();
  return named.Text();
}

std::string ProgrammerPins::ShownText(const PinAssignment& pins) const {
  if (!Compact()) return pins.Text();
  return "clock=" + NameOf(pins.clock) + ",reset=" + NameOf(pins.reset) + ",data=" + NameOf(pins.data);
}

ProgrammerPins PinsOf(const DeviceEntry& entry) {
  ProgrammerPins pins;
  pins.family = entry.family;
  pins.chip = entry.chip;
  pins.port = entry.port;
  pins.model = entry.chip ? std::string(FactsOf(*entry.chip).name) : entry.model;
  if (entry.family == kGpioFamily) pins.chipName = entry.serial;
  if (entry.chip) pins.count = FactsOf(*entry.chip).bitBangPins;
  if (!entry.pinNames.empty()) pins.count = static_cast<int>(entry.pinNames.size());
  for (int pin = 0; pin < pins.count; ++pin) {
    const std::string shown = pin < static_cast<int>(entry.pinNames.size()) ? entry.pinNames[static_cast<std::size_t>(pin)]
                                                                            : PinName(pin);
    // A CH341A's pin goes by its D-number and its socket's name, "D7/MISO"; a GPIO line's name is
    // the chip's, whatever it holds.
    pins.names.push_back(entry.family == kCh341aFamily ? SplitNames(shown) : std::vector<std::string>{shown});
    pins.inputOnly.push_back(pin < 8 && (entry.inputOnly >> pin & 1u) != 0);
  }
  return pins;
}

PinAssignmentParse ParsePinAssignment(std::string_view text, const ProgrammerPins& programmer) {
  PinAssignmentParse parse =
      ParsePinAssignment(text, [&](std::string_view name) { return programmer.PinNamed(name); });
  if (!parse.assignment && parse.problem.kind == PinAssignmentProblem::Kind::UnknownPin && !programmer.chip &&
      !programmer.family.empty()) {
    // A GPIO chip's own names are too many to list: its lines by number stand for them.
    parse.problem.lineNames = programmer.Compact();
    if (programmer.Compact()) {
      parse.problem.known = programmer.chipName + ":0.." + std::to_string(programmer.count - 1);
    } else {
      for (int pin = 0; pin < programmer.count; ++pin) parse.problem.known += (pin ? " " : "") + programmer.NameOf(pin);
    }
  }
  return parse;
}

std::optional<PinsOnProgrammerProblem> PinsOnProgrammer(const ProgrammerPins& programmer, const PinAssignment& pins) {
  using Kind = PinsOnProgrammerProblem::Kind;
  PinsOnProgrammerProblem problem;
  problem.model = programmer.model;
  problem.count = programmer.count;
  problem.chipName = programmer.chipName;
  if (programmer.Compact() && pins.namedChip.empty()) {
    problem.kind = Kind::NoWiring;
    return problem;
  }
  if (!pins.namedChip.empty() && pins.namedChip != programmer.chipName) {
    problem.kind = Kind::OtherChip;
    problem.namedChip = pins.namedChip;
    return problem;
  }
  const int lines[3] = {pins.clock, pins.reset, pins.data};
  for (int line = 0; line < 3; ++line) {
    const int pin = lines[line];
    problem.pin = pin;
    problem.line = line;
    problem.pinName = programmer.NameOf(pin);
    // An FTDI chip's missing pins are PinsOnChip's to name.
    if (!programmer.chip && (pin < 0 || pin >= programmer.count)) {
      problem.kind = Kind::NoSuchLine;
      return problem;
    }
    // The data line is only read: an input-only pin suits it.
    if (line < 2 && programmer.InputOnly(pin)) {
      problem.kind = Kind::InputOnly;
      return problem;
    }
  }
  return std::nullopt;
}

}  // namespace quarrow
