// SPDX-License-Identifier: GPL-3.0-or-later
// Facts of the FTDI chips with asynchronous bit-bang, and the names their boards print for the pins.
#include "FtdiChip.h"

#include <algorithm>
#include <array>

#include "Names.h"

namespace quarrow {

namespace {

// The FT230X and FT234XD bring out four bit-bang pins (their UART's TXD, RXD, RTS, CTS); the
// others eight. Each channel of a multi-port chip bit-bangs on its own.
constexpr std::array<FtdiChipFacts, 9> kChips = {{
    {FtdiChip::FT232R, "FT232R", 5, 0x6001, 0x0600, 1, 8, PinNaming::Signals, nullptr},
    {FtdiChip::FT245R, "FT245R", 5, 0x6001, 0x0600, 1, 8, PinNaming::DataBus, "245R"},
    {FtdiChip::FT232H, "FT232H", 8, 0x6014, 0x0900, 1, 8, PinNaming::PortBus, nullptr},
    {FtdiChip::FT2232C, "FT2232C/D", 4, 0x6010, 0x0500, 2, 8, PinNaming::PortBus, nullptr},
    {FtdiChip::FT2232H, "FT2232H", 6, 0x6010, 0x0700, 2, 8, PinNaming::PortBus, nullptr},
    {FtdiChip::FT4232H, "FT4232H", 7, 0x6011, 0x0800, 4, 8, PinNaming::PortBus, nullptr},
    // A product string that does not name its FT-X chip is taken for the smaller one: refusing a
    // pin that exists costs a re-wiring, driving one that does not exist would read garbage.
    {FtdiChip::FT230X, "FT230X", 9, 0x6015, 0x1000, 1, 4, PinNaming::Signals, nullptr},
    {FtdiChip::FT231X, "FT231X", 9, 0x6015, 0x1000, 1, 8, PinNaming::Signals, "231X"},
    {FtdiChip::FT234XD, "FT234XD", 9, 0x6015, 0x1000, 1, 4, PinNaming::Signals, "234X"},
}};

// The UART signal on each bit-bang pin D0..D7 of the FT232R and the FT-X chips, the names printed
// on most breakout boards.
constexpr std::array<std::string_view, 8> kSignalNames = {"TXD", "RXD", "RTS", "CTS",
                                                          "DTR", "DSR", "DCD", "RI"};
// Ports A..D of the multi-port chips (the FT232H has port A only).
constexpr int kMostPorts = 4;

}  // namespace

const FtdiChipFacts& FactsOf(FtdiChip chip) {
  for (const FtdiChipFacts& facts : kChips) {
    if (facts.chip == chip) return facts;
  }
  return kChips[0];
}

std::span<const FtdiChipFacts> SupportedChips() { return kChips; }

namespace {

// Among the chips `alike` picks, the one whose mark the product string contains, else the first.
template <typename Alike>
std::optional<FtdiChip> ChipAmong(Alike alike, std::string_view description) {
  const std::string upper = Upper(description);
  std::optional<FtdiChip> unmarked;
  for (const FtdiChipFacts& facts : kChips) {
    if (!alike(facts)) continue;
    if (facts.productMark && upper.find(facts.productMark) != std::string::npos) return facts.chip;
    if (!unmarked) unmarked = facts.chip;
  }
  return unmarked;
}

}  // namespace

std::optional<FtdiChip> ChipOfRecord(std::uint32_t d2xxType, std::string_view description) {
  return ChipAmong([&](const FtdiChipFacts& facts) { return facts.d2xxType == d2xxType; }, description);
}

std::optional<FtdiChip> ChipOfUsbDevice(std::uint16_t product, std::uint16_t release, std::string_view description) {
  return ChipAmong([&](const FtdiChipFacts& facts) { return facts.usbProduct == product && facts.usbRelease == release; },
                   description);
}

std::vector<std::uint16_t> SupportedUsbProducts() {
  std::vector<std::uint16_t> products;
  for (const FtdiChipFacts& facts : kChips) {
    if (std::find(products.begin(), products.end(), facts.usbProduct) == products.end()) {
      products.push_back(facts.usbProduct);
    }
  }
  return products;
}

std::optional<FtdiChip> ChipNamed(std::string_view name) {
  const std::string upper = Upper(name);
  if (upper == "FT2232C" || upper == "FT2232D") return FtdiChip::FT2232C;
  if (upper == "FT234X") return FtdiChip::FT234XD;
  for (const FtdiChipFacts& facts : kChips) {
    if (upper == facts.name) return facts.chip;
  }
  return std::nullopt;
}

std::string PinRangeOf(FtdiChip chip) {
  return "D0-D" + std::to_string(FactsOf(chip).bitBangPins - 1);
}

std::string PortLetter(int port) { return std::string(1, static_cast<char>('A' + port)); }

std::string BoardPinName(FtdiChip chip, int port, int pin) {
  switch (FactsOf(chip).naming) {
    case PinNaming::Signals: return std::string(kSignalNames[static_cast<std::size_t>(pin & 7)]);
    case PinNaming::DataBus: return "D" + std::to_string(pin);
    case PinNaming::PortBus: return PortLetter(port) + "DBUS" + std::to_string(pin);
  }
  return "D" + std::to_string(pin);
}

std::vector<std::string> BoardPinNames(FtdiChip chip, int port) {
  std::vector<std::string> names;
  for (int pin = 0; pin < FactsOf(chip).bitBangPins; ++pin) names.push_back(BoardPinName(chip, port, pin));
  return names;
}

namespace {

// A GPIO chip's line as CHIP:OFFSET. The chip is named as the kernel names its device (letters,
// digits, '-', '_', '.'), so that no other pin name is taken for one.
std::optional<NamedPin> ParseChipLine(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == name.size()) return std::nullopt;
  const std::string_view chip = name.substr(0, colon);
  const std::string_view offset = name.substr(colon + 1);
  const auto chipChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
  };
  if (!std::all_of(chip.begin(), chip.end(), chipChar)) return std::nullopt;
  // No GPIO chip has a line beyond 9999; more digits would overflow the number.
  if (offset.size() > 4 || !std::all_of(offset.begin(), offset.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return NamedPin{std::stoi(std::string(offset)), -1, std::string(chip)};
}

}  // namespace

std::optional<NamedPin> ParseBoardPinName(std::string_view name) {
  if (std::optional<NamedPin> line = ParseChipLine(name)) return line;
  const std::string upper = Upper(name);
  auto digit = [&](std::size_t at) -> std::optional<int> {
    if (upper.size() != at + 1 || upper[at] < '0' || upper[at] > '7') return std::nullopt;
    return upper[at] - '0';
  };
  if (upper.size() == 2 && upper[0] == 'D') {
    if (auto pin = digit(1)) return NamedPin{*pin, -1, {}};
  }
  for (std::size_t i = 0; i < kSignalNames.size(); ++i) {
    if (upper == kSignalNames[i]) return NamedPin{static_cast<int>(i), -1, {}};
  }
  // ADBUS3 or AD3, BDBUS3 or BD3, up to port D.
  if (upper.size() >= 3 && upper[0] >= 'A' && upper[0] < 'A' + kMostPorts && upper[1] == 'D') {
    const int port = upper[0] - 'A';
    const std::size_t at = upper.compare(2, 3, "BUS") == 0 ? 5 : 2;
    if (auto pin = digit(at)) return NamedPin{*pin, port, {}};
  }
  return std::nullopt;
}

PortNaming PortNamingOn(FtdiChip chip, int port, int namedPort) {
  const FtdiChipFacts& facts = FactsOf(chip);
  if (namedPort < 0) return PortNaming::Fits;
  if (facts.naming != PinNaming::PortBus) return PortNaming::NoLetteredPorts;
  if (namedPort == port) return PortNaming::Fits;
  return namedPort >= facts.interfaces ? PortNaming::NoSuchPort : PortNaming::OtherPort;
}

}  // namespace quarrow
