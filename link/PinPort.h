// SPDX-License-Identifier: GPL-3.0-or-later
// The two pin operations through which the read-out reaches the programmer.
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

}  // namespace quarrow
