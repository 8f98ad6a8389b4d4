// SPDX-License-Identifier: GPL-3.0-or-later
// A programmer's D0..D7 with an RP5H01 on them, as the programmers' stand-ins see them: the pins the
// programmer can drive set as outputs or inputs with their levels, D0..D7 read, the PROM's clock,
// reset and data on the pins a wiring names.
#pragma once

#include <cstdint>

#include "PinAssignment.h"
#include "sim/SimulatedRp5h01.h"

namespace quarrow::test {

// A CH341A drives D5..D0 only (CH341Set_D5_D0, its UIO stream); D6 and D7 only read.
inline constexpr std::uint8_t kCh341aDrivenPins = 0x3F;

class PromBoard {
 public:
  PromBoard(const PromImage& chip, const PinAssignment& wiring, std::uint8_t drivenPins = 0xFF)
      : prom_(chip), wiring_(wiring), drivenPins_(drivenPins) {}

  // The pins that can be driven set as outputs (1) or inputs, and the outputs' levels.
  void Set(std::uint8_t directions, std::uint8_t levels) {
    directions_ = directions & drivenPins_;
    levels_ = levels & drivenPins_;
    prom_.SetInputs(Level(wiring_.clock), Level(wiring_.reset));
  }
  // D7..D0 as a pin read gives them.
  std::uint8_t Pins() const {
    std::uint8_t pins = 0;
    for (int pin = 0; pin < 8; ++pin) pins |= static_cast<std::uint8_t>(Level(pin) << pin);
    return pins;
  }
  std::uint8_t Directions() const { return directions_; }
  const SimulatedRp5h01& Prom() const { return prom_; }

 private:
  // The PROM drives its data pin; a pin set as output shows its level; an input nothing drives
  // floats high.
  bool Level(int pin) const {
    if (pin == wiring_.data) return prom_.Data() != wiring_.invertData;
    if ((directions_ >> pin) & 1u) return (levels_ >> pin) & 1u;
    return true;
  }

  SimulatedRp5h01 prom_;
  PinAssignment wiring_;
  std::uint8_t drivenPins_;
  std::uint8_t directions_ = 0;  // after power-up every pin is an input
  std::uint8_t levels_ = 0;
};

}  // namespace quarrow::test
