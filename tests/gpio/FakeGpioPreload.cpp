// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated GPIO chips as a preload library, for a program run as a child (quarrow-cli) that
// must meet a GPIO chip beside the USB programmers umockdev's preload mocks. Put in LD_PRELOAD in
// front of umockdev's, its open, ioctl, stat ... come first and hand every other file on to
// umockdev's and then the C library's.
//   QUARROW_FAKE_GPIO_PROM=0,5,64  a Raspberry Pi's header chip as /dev/gpiochip0, with an RP5H01
//                                  whose bits 0, 5 and 64 read 1 on GPIO17/27/22 (clock/reset/data)
// Without the variable the library stands aside: no chip is emulated and every call passes through.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FakeGpioKernel.h"

namespace quarrow::test {
namespace {

// Bit numbers separated by commas; false for anything else, so that a mistyped variable shows as a
// test failure rather than as a chip with other bits.
bool ParseBits(const char* text, PromImage& prom) {
  while (*text != '\0') {
    char* end = nullptr;
    const long bit = std::strtol(text, &end, 10);
    if (end == text || bit < 0 || bit >= PromImage::kBits || (*end != ',' && *end != '\0')) return false;
    prom.SetBit(static_cast<int>(bit));
    text = *end == ',' ? end + 1 : end;
  }
  return true;
}

// Lives as long as the program; made before its main.
struct PreloadedChips {
  FakeGpioKernel* kernel = nullptr;
  PreloadedChips() {
    const char* bits = std::getenv("QUARROW_FAKE_GPIO_PROM");
    if (bits == nullptr) return;
    PromImage prom;
    if (!ParseBits(bits, prom)) {
      std::fprintf(stderr, "QUARROW_FAKE_GPIO_PROM: not a list of bit numbers 0..127: %s\n", bits);
      std::_Exit(125);
    }
    kernel = new FakeGpioKernel;  // never deleted: closes after the program's exit still look here
    kernel->Add(RaspberryPiWithProm(prom));
  }
} preloadedChips;

}  // namespace
}  // namespace quarrow::test
