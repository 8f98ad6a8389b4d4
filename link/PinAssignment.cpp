// SPDX-License-Identifier: GPL-3.0-or-later
// Pin assignments: their text form, and the pins each drives.
#include "PinAssignment.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "FtdiChip.h"
#include "PrintableText.h"

namespace quarrow {

namespace {

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

std::uint8_t PinAssignment::AfterRead(std::uint8_t written, std::uint8_t read) const {
  const std::uint8_t named = static_cast<std::uint8_t>(ClockMask() | ResetMask() | DataMask());
  return static_cast<std::uint8_t>((read & named) | (written & ~named));
}

int PinAssignment::HighestPin() const { return std::max({clock, reset, data}); }

std::string PinAssignment::Text() const {
  return "clock=" + PinName(clock) + ",reset=" + PinName(reset) + ",data=" + PinName(data);
}

std::string PinName(int pin) { return "D" + std::to_string(pin); }

PinAssignmentParse ParsePinAssignment(std::string_view text) {
  PinAssignmentParse result;
  constexpr std::array<std::string_view, 3> kLines = {"clock", "reset", "data"};
  std::array<std::optional<int>, 3> pins;
  int namedPort = -1;
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
    const std::optional<NamedPin> named = ParseBoardPinName(pinText);
    if (!named) {
      result.error = "unknown pin " + QuotedExcerpt(pinText, '"') + " for the " + std::string(*known) +
                     " line (pins are D0..D7, TXD RXD RTS CTS DTR DSR DCD RI, or a port's ADBUS0..ADBUS7 "
                     "or AD0..AD7, BDBUS0 or BD0 ...)";
      return result;
    }
    if (named->port >= 0) {
      if (namedPort >= 0 && namedPort != named->port) {
        result.error = QuotedExcerpt(pinText, '"') + " is a pin of port " + PortLetter(named->port) +
                       ", but another line is named on port " + PortLetter(namedPort) +
                       " (a programmer is one port: name its pins by one port's names or as D0..D7)";
        return result;
      }
      namedPort = named->port;
    }
    const std::optional<int> pin = named->pin;
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
  result.assignment = PinAssignment{*pins[0], *pins[1], *pins[2], false, namedPort};
  return result;
}

}  // namespace quarrow
