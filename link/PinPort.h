// SPDX-License-Identifier: GPL-3.0-or-later
// The two pin operations through which the read-out reaches the programmer, and the exchange that
// carries reads and a write together to a programmer that can take them in one transfer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace quarrow {

class IPinPort {
 public:
  virtual ~IPinPort() = default;
  // Drives D0..D7 to the bits of `value`. Returns false when the programmer did not take the byte.
  virtual bool WritePins(std::uint8_t value) = 0;
  // Stores the instantaneous levels of D0..D7 in `value`; on failure `value` keeps what it held.
  virtual bool ReadPins(std::uint8_t& value) = 0;

  // Reads D0..D7 once for each element of `levels`, in order, then drives the pins to `value`. Each
  // element gets the levels of its read, or nothing when that read failed: no level is made up.
  // Returns false when the programmer did not take the byte. Unless the port carries them in one
  // exchange (ExchangesReadsWithWrite), these are ReadPins and WritePins in turn.
  virtual bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) {
    for (std::optional<std::uint8_t>& level : levels) {
      std::uint8_t read = 0;
      level = ReadPins(read) ? std::optional<std::uint8_t>(read) : std::nullopt;
    }
    return WritePins(value);
  }
  // Whether ReadThenWrite reaches the programmer as one exchange, costing about what a write alone
  // does: holding reads back until the next write is then worth its while.
  virtual bool ExchangesReadsWithWrite() const { return false; }
};

}  // namespace quarrow
