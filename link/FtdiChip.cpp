// SPDX-License-Identifier: GPL-3.0-or-later
// Facts of the FTDI chips with asynchronous bit-bang.
#include "FtdiChip.h"

#include <array>
#include <cctype>

#include "D2xx.h"

namespace quarrow {

namespace {

// The FT230X and FT234XD bring out four bit-bang pins (their UART's TXD, RXD, RTS, CTS); the
// others eight. Each channel of a multi-port chip bit-bangs on its own.
constexpr std::array<FtdiChipFacts, 9> kChips = {{
    {FtdiChip::FT232R, "FT232R", FT_DEVICE_232R, 0x6001, 1, 8},
    {FtdiChip::FT245R, "FT245R", FT_DEVICE_232R, 0x6001, 1, 8},
    {FtdiChip::FT232H, "FT232H", FT_DEVICE_232H, 0x6014, 1, 8},
    {FtdiChip::FT2232C, "FT2232C/D", FT_DEVICE_2232C, 0x6010, 2, 8},
    {FtdiChip::FT2232H, "FT2232H", FT_DEVICE_2232H, 0x6010, 2, 8},
    {FtdiChip::FT4232H, "FT4232H", FT_DEVICE_4232H, 0x6011, 4, 8},
    {FtdiChip::FT230X, "FT230X", FT_DEVICE_X_SERIES, 0x6015, 1, 4},
    {FtdiChip::FT231X, "FT231X", FT_DEVICE_X_SERIES, 0x6015, 1, 8},
    {FtdiChip::FT234XD, "FT234XD", FT_DEVICE_X_SERIES, 0x6015, 1, 4},
}};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

const FtdiChipFacts& FactsOf(FtdiChip chip) {
  for (const FtdiChipFacts& facts : kChips) {
    if (facts.chip == chip) return facts;
  }
  return kChips[0];
}

std::optional<FtdiChip> ChipOfRecord(std::uint32_t d2xxType, std::string_view description) {
  const std::string upper = Upper(description);
  switch (d2xxType) {
    case FT_DEVICE_232R:
      return upper.find("245R") != std::string::npos ? FtdiChip::FT245R : FtdiChip::FT232R;
    case FT_DEVICE_2232C: return FtdiChip::FT2232C;
    case FT_DEVICE_2232H: return FtdiChip::FT2232H;
    case FT_DEVICE_4232H: return FtdiChip::FT4232H;
    case FT_DEVICE_232H: return FtdiChip::FT232H;
    case FT_DEVICE_X_SERIES:
      // A product string that does not name its chip is taken for the smaller one: refusing a pin
      // that exists costs a re-wiring, driving one that does not exist would read garbage.
      if (upper.find("231X") != std::string::npos) return FtdiChip::FT231X;
      if (upper.find("234X") != std::string::npos) return FtdiChip::FT234XD;
      return FtdiChip::FT230X;
    default: return std::nullopt;
  }
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

}  // namespace quarrow
