// SPDX-License-Identifier: GPL-3.0-or-later
// The two pin operations through which the read-out reaches the programmer, and the program-wide
// port and pin byte that the read-out uses.
#pragma once

#include <cstdint>

namespace quarrow {

class IPinPort {
 public:
  virtual ~IPinPort() = default;
  // Drives D0..D7 to the bits of `value`. Returns false when the programmer did not take the byte.
  virtual bool WritePins(std::uint8_t value) = 0;
  // Stores the instantaneous levels of D0..D7 in `value`; on failure `value` keeps what it held.
  virtual bool ReadPins(std::uint8_t& value) = 0;
};

// The port the program's reads use, and the one-byte pin buffer that every pin write sends and every
// pin read updates (the clock, reset and data pins; see PinAssignment::AfterRead). Code that can take
// them as parameters does.
extern IPinPort* g_pinPort;
extern std::uint8_t g_pinByte;

}  // namespace quarrow
