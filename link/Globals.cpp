// SPDX-License-Identifier: GPL-3.0-or-later
// The program-wide link state: the pin port and pin byte of the read-out, the programmer library in
// use and the connected programmer's handle. All start empty; the program fills them at start-up and
// on Connect.
#include "D2xx.h"
#include "PinPort.h"

namespace quarrow {

IPinPort* g_pinPort = nullptr;
std::uint8_t g_pinByte = 0;
ID2xx* g_d2xx = nullptr;
FT_HANDLE g_ftHandle = nullptr;

}  // namespace quarrow
