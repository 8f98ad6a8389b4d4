// SPDX-License-Identifier: GPL-3.0-or-later
// Pin assignments: their text form, and the pins each drives.
#include "PinAssignment.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "Names.h"

namespace quarrow {

namespace {

constexpr std::array<std::string_view, 3> kLines = {"clock", "reset", "data"};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::uint8_t PinAssignment::AfterRead(std::uint8_t written, std::uint8_t read) const {
  const std::uint8_t named = static_cast<std::uint8_t>(ClockMask() | ResetMask() | DataMask());
  return static_cast<std::uint8_t>((read & named) | (written & ~named));
}

int PinAssignment::HighestPin() const { return std::max({clock, reset, data}); }

std::string PinAssignment::Text() const {
  const auto name = [&](int pin) { return namedChip.empty() ? PinName(pin) : namedChip + ":" + std::to_string(pin); };
  return "clock=" + name(clock) + ",reset=" + name(reset) + ",data=" + name(data);
}

std::string PinName(int pin) { return "D" + std::to_string(pin); }

std::string_view PinLineName(int line) { return kLines[static_cast<std::size_t>(line) % kLines.size()]; }

PinAssignmentParse ParsePinAssignment(std::string_view text) { return ParsePinAssignment(text, ParseBoardPinName); }

PinAssignmentParse ParsePinAssignment(std::string_view text, const PinResolver& pinNamed) {
  PinAssignmentParse result;
  using Kind = PinAssignmentProblem::Kind;
  auto fail = [&](Kind kind, std::string_view written, std::size_t line) {
    result.problem.kind = kind;
    result.problem.written = std::string(written);
    result.problem.line = static_cast<int>(line);
    return result;
  };
  std::array<std::optional<int>, 3> pins;
  int namedPort = -1;
  std::string namedChip;
  std::string_view rest = text;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = Trimmed(rest.substr(0, comma));
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) {
      return fail(Kind::NotLineEqualsPin, part, 0);
    }
    const std::string line = Upper(Trimmed(part.substr(0, equals)));
    const std::string_view pinText = Trimmed(part.substr(equals + 1));
    const auto known = std::find_if(kLines.begin(), kLines.end(),
                                    [&](std::string_view l) { return Upper(l) == line; });
    if (known == kLines.end()) {
      return fail(Kind::UnknownLine, Trimmed(part.substr(0, equals)), 0);
    }
    const std::size_t index = static_cast<std::size_t>(known - kLines.begin());
    if (pins[index]) return fail(Kind::LineTwice, {}, index);
    const std::optional<NamedPin> named = pinNamed(pinText);
    if (!named) return fail(Kind::UnknownPin, pinText, index);
    if (!named->chip.empty()) {
      if (!namedChip.empty() && namedChip != named->chip) return fail(Kind::ChipsMixed, pinText, index);
      namedChip = named->chip;
    }
    if (named->port >= 0) {
      if (namedPort >= 0 && namedPort != named->port) {
        result.problem.port = named->port;
        result.problem.otherPort = namedPort;
        return fail(Kind::PortsMixed, pinText, index);
      }
      namedPort = named->port;
    }
    const std::optional<int> pin = named->pin;
    for (std::size_t other = 0; other < pins.size(); ++other) {
      if (pins[other] == pin) {
        result.problem.pin = *pin;
        result.problem.otherLine = static_cast<int>(other);
        return fail(Kind::PinTwice, {}, index);
      }
    }
    pins[index] = pin;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  for (std::size_t i = 0; i < pins.size(); ++i) {
    if (!pins[i]) return fail(Kind::LineMissing, {}, i);
  }
  result.assignment = PinAssignment{*pins[0], *pins[1], *pins[2], false, namedPort, namedChip};
  return result;
}

std::optional<PinsOnChipProblem> PinsOnChip(FtdiChip chip, const PinAssignment& pins, int port) {
  PinsOnChipProblem problem{chip, port, PortNamingOn(chip, port, pins.namedPort), pins, {}};
  if (problem.naming != PortNaming::Fits) return problem;
  const int bitBangPins = FactsOf(chip).bitBangPins;
  for (int pin : {pins.clock, pins.reset, pins.data}) {
    if (pin >= bitBangPins) problem.missing.push_back(pin);
  }
  if (problem.missing.empty()) return std::nullopt;
  return problem;
}

}  // namespace quarrow
