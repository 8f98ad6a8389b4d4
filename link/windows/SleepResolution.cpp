// SPDX-License-Identifier: GPL-3.0-or-later
// The 1 ms timer resolution of the multimedia timer API, asked for around a read-out only: a raised
// resolution makes the whole system wake more often and costs battery, so it is handed back at once.
#include "SleepResolution.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <timeapi.h>

namespace quarrow {

namespace {
constexpr UINT kResolutionMs = 1;
}

FineSleepResolution::FineSleepResolution() : raised_(timeBeginPeriod(kResolutionMs) == TIMERR_NOERROR) {}

FineSleepResolution::~FineSleepResolution() {
  // Every successful timeBeginPeriod needs its own timeEndPeriod with the same value.
  if (raised_) timeEndPeriod(kResolutionMs);
}

}  // namespace quarrow
