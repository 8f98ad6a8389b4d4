// SPDX-License-Identifier: GPL-3.0-or-later
// The recording pin port.
#include "PinTrace.h"

#include <algorithm>
#include <utility>

namespace quarrow {

std::uint8_t PinsShownBy(const PinTrace& trace, const PinEvent& event) {
  if (!event.ok) return 0;
  return event.kind == PinEvent::Kind::Write ? trace.driven : 0xFF;
}

std::vector<PinStep> PinLevels(const PinTrace& trace, int pin) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << pin);
  std::vector<PinStep> steps;
  for (const PinEvent& event : trace.events) {
    if ((PinsShownBy(trace, event) & mask) == 0) continue;
    const bool high = (event.value & mask) != 0;
    if (steps.empty() || steps.back().high != high) steps.push_back({event.microseconds, high});
  }
  return steps;
}

TracingPinPort::TracingPinPort(IPinPort& port, PinTrace& trace, WaitFunction wait)
    : port_(port), trace_(trace), wait_(wait ? std::move(wait) : WaitFunction(SleepMilliseconds)) {
  // A recording that goes on (the reads of read --reads) continues from where it ended.
  waited_ = trace_.endMicroseconds;
  if (!trace_.events.empty()) last_ = trace_.events.back().microseconds;
}

bool TracingPinPort::WritePins(std::uint8_t value) {
  const bool ok = port_.WritePins(value);
  Record(PinEvent::Kind::Write, value, ok);
  return ok;
}

bool TracingPinPort::ReadPins(std::uint8_t& value) {
  const bool ok = port_.ReadPins(value);
  Record(PinEvent::Kind::Read, value, ok);
  return ok;
}

void TracingPinPort::Wait(int milliseconds) {
  waited_ += std::int64_t{milliseconds} * 1000;
  trace_.endMicroseconds = std::max(waited_, last_ + 1);
  wait_(milliseconds);
}

void TracingPinPort::Record(PinEvent::Kind kind, std::uint8_t value, bool ok) {
  last_ = std::max(waited_, last_ + 1);
  trace_.events.push_back({last_, kind, value, ok});
  trace_.endMicroseconds = std::max(trace_.endMicroseconds, last_ + 1);
}

}  // namespace quarrow
