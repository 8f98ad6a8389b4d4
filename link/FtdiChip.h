// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI chips that have asynchronous bit-bang, and what the tool needs to know of each: its
// D2XX device type, USB product id, how many interfaces and how many bit-bang pins it has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "D2xx.h"

namespace quarrow {

enum class FtdiChip { FT232R, FT245R, FT232H, FT2232C, FT2232H, FT4232H, FT230X, FT231X, FT234XD };

struct FtdiChipFacts {
  FtdiChip chip;
  const char* name;        // "FT232H"
  std::uint32_t d2xxType;  // FT_DEVICE_...
  std::uint16_t usbProduct;
  int interfaces;   // bit-bang ports, each listed as a device of its own
  int bitBangPins;  // D0..D(n-1)
};

const FtdiChipFacts& FactsOf(FtdiChip chip);

// The chip a device record stands for, or nothing for a device without asynchronous bit-bang. The
// FT232R and FT245R share a device type, as the FT-X chips do; their product strings tell them apart.
std::optional<FtdiChip> ChipOfRecord(std::uint32_t d2xxType, std::string_view description);

// "FT232H" -> FtdiChip::FT232H, case-insensitive; FT2232D is an FT2232C.
std::optional<FtdiChip> ChipNamed(std::string_view name);

// "D0-D3" for a four-pin chip.
std::string PinRangeOf(FtdiChip chip);

}  // namespace quarrow
