// SPDX-License-Identifier: GPL-3.0-or-later
// GPIO chips emulated at the kernel's GPIO character-device interface (the v1 ioctls libgpiod 1.6
// speaks: chip info, line info, line handles and their values), so that the real libgpiod runs over
// them. While a FakeGpioKernel lives, the C library calls libgpiod makes on /dev and /sys/bus/gpio
// (scandir, lstat, stat, access, open, ioctl, close) reach its chips instead of the system's: a
// program linked with FakeGpioKernel.cpp has functions of those names, found before the C library's
// (and a sanitizer's, which then hands on to the C library); every other call passes through.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "PromImage.h"

namespace quarrow::test {

struct GpioChipSpec {
  std::string label = "gpio-mockup";
  std::vector<std::string> lineNames;  // one per line; empty for a line the board does not name
  std::map<int, std::string> heldBy;   // lines another program holds, with its consumer name
  bool mayOpen = true;                 // false: the device file's permissions keep the tool out
  // An RP5H01 on three of the chip's lines; negative: none.
  int clock = -1;
  int reset = -1;
  int data = -1;
  PromImage prom;
  int goneAtRead = -1;  // the chip goes (its driver unbound) at this value read (0 = first); negative: never
};

// A Raspberry Pi 4's header chip, "pinctrl-bcm2711" with lines GPIO0..GPIO53, and an RP5H01 holding
// `prom` with its clock on GPIO17, reset on GPIO27 and data on GPIO22 (header pins 11, 13, 15).
GpioChipSpec RaspberryPiWithProm(const PromImage& prom);

// One at a time. Lines another program does not hold start as inputs.
class FakeGpioKernel {
 public:
  FakeGpioKernel();
  ~FakeGpioKernel();
  FakeGpioKernel(const FakeGpioKernel&) = delete;
  FakeGpioKernel& operator=(const FakeGpioKernel&) = delete;

  // Adds a chip as /dev/gpiochipN, N counting from 0; returns N.
  int Add(GpioChipSpec spec);
  // Every line of chip N ever requested as an output.
  std::set<int> EverOutputs(int chip) const;
  std::set<int> Requested(int chip) const;  // the lines requested now
  bool Level(int chip, int line) const;     // as the line is now
};

}  // namespace quarrow::test
