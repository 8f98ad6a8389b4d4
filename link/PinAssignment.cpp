// SPDX-License-Identifier: GPL-3.0-or-later
// Pin assignments: their text form, and the direction mask each needs.
#include "PinAssignment.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "PrintableText.h"

namespace quarrow {

namespace {

// The FT232R's signal names of D0..D7, the names printed on most breakout boards.
constexpr std::array<std::string_view, 8> kSignalNames = {"TXD", "RXD", "RTS", "CTS",
                                                          "DTR", "DSR", "DCD", "RI"};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::uint8_t PinAssignment::DirectionMask() const {
  return IsDefault() ? std::uint8_t{0xFF} : static_cast<std::uint8_t>(ClockMask() | ResetMask());
}

int PinAssignment::HighestPin() const { return std::max({clock, reset, data}); }

std::string PinAssignment::Text() const {
  return "clock=" + PinName(clock) + ",reset=" + PinName(reset) + ",data=" + PinName(data);
}

std::string PinName(int pin) { return "D" + std::to_string(pin); }

std::optional<int> ParsePinName(std::string_view text) {
  const std::string upper = Upper(Trimmed(text));
  if (upper.size() == 2 && upper[0] == 'D' && upper[1] >= '0' && upper[1] <= '7') return upper[1] - '0';
  for (std::size_t i = 0; i < kSignalNames.size(); ++i) {
    if (upper == kSignalNames[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

PinAssignmentParse ParsePinAssignment(std::string_view text) {
  PinAssignmentParse result;
  constexpr std::array<std::string_view, 3> kLines = {"clock", "reset", "data"};
  std::array<std::optional<int>, 3> pins;
  std::string_view rest = text;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = Trimmed(rest.substr(0, comma));
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) {
      result.error = QuotedExcerpt(part, '"') + " is not LINE=PIN (expected clock=PIN,reset=PIN,data=PIN)";
      return result;
    }
    const std::string line = Upper(Trimmed(part.substr(0, equals)));
    const std::string_view pinText = Trimmed(part.substr(equals + 1));
    const auto known = std::find_if(kLines.begin(), kLines.end(),
                                    [&](std::string_view l) { return Upper(l) == line; });
    if (known == kLines.end()) {
      result.error = "unknown line " + QuotedExcerpt(Trimmed(part.substr(0, equals)), '"') +
                     " (the lines are clock, reset and data)";
      return result;
    }
    const std::size_t index = static_cast<std::size_t>(known - kLines.begin());
    if (pins[index]) {
      result.error = "the " + std::string(*known) + " line is named twice";
      return result;
    }
    const std::optional<int> pin = ParsePinName(pinText);
    if (!pin) {
      result.error = "unknown pin " + QuotedExcerpt(pinText, '"') + " for the " + std::string(*known) +
                     " line (pins are D0..D7 or TXD RXD RTS CTS DTR DSR DCD RI)";
      return result;
    }
    for (std::size_t other = 0; other < pins.size(); ++other) {
      if (pins[other] == pin) {
        result.error = "pin " + PinName(*pin) + " is given to both the " +
                       std::string(kLines[other]) + " and the " + std::string(*known) + " line";
        return result;
      }
    }
    pins[index] = pin;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  for (std::size_t i = 0; i < pins.size(); ++i) {
    if (!pins[i]) {
      result.error = "the " + std::string(kLines[i]) + " line is missing (expected clock=PIN,reset=PIN,data=PIN)";
      return result;
    }
  }
  result.assignment = PinAssignment{*pins[0], *pins[1], *pins[2], false};
  return result;
}

}  // namespace quarrow
