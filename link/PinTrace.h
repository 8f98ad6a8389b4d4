// SPDX-License-Identifier: GPL-3.0-or-later
// A recording of the pin traffic between the read-out (or the wiring self-test) and the programmer:
// every write and read with its time. The time is what the waits between the operations add up to,
// not the clock on the wall, so a recording of the simulated programmer is the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PinAssignment.h"
#include "PinPort.h"
#include "ReadOut.h"

namespace quarrow {

struct PinEvent {
  enum class Kind : std::uint8_t { Write, Read };
  std::int64_t microseconds = 0;  // from the start of the recording
  Kind kind = Kind::Write;
  std::uint8_t value = 0;  // the byte written, or the levels read
  bool ok = true;          // false: the programmer did not take the operation; `value` tells nothing
};

struct PinTrace {
  PinAssignment pins;       // which pins carry clock, reset and data
  std::uint8_t driven = 0;  // the direction mask: the pins a write drives
  std::vector<PinEvent> events;
  std::int64_t endMicroseconds = 0;  // the end of the last wait
  // Clock, reset and data by the programmer's own pins ("GPIO17"), where its port's D-numbers
  // stand for other pins; empty otherwise.
  std::vector<std::string> names;
};

// An empty recording of a programmer set up for `pins`.
inline PinTrace PinTraceFor(const PinAssignment& pins) { return {pins, pins.DirectionMask(), {}, 0, {}}; }

// The pins whose level an operation shows: a write the pins it drives, a read every pin, a failed
// operation none.
std::uint8_t PinsShownBy(const PinTrace& trace, const PinEvent& event);

// One pin's level from a time on.
struct PinStep {
  std::int64_t microseconds = 0;
  bool high = false;
};
// The levels `pin` takes in the trace, one step at each change; unknown before the first.
std::vector<PinStep> PinLevels(const PinTrace& trace, int pin);

// A pin port that hands every operation on to `port` unchanged and records it in `trace`. Give the
// read-out its Wait() as the wait: it moves the recording's clock on by the wait's length, then
// waits through `wait`. Operations with no wait between them are recorded 1 us apart, so that their
// order shows in a logic analyser's view.
class TracingPinPort : public IPinPort {
 public:
  TracingPinPort(IPinPort& port, PinTrace& trace, WaitFunction wait = SleepMilliseconds);
  bool WritePins(std::uint8_t value) override;
  bool ReadPins(std::uint8_t& value) override;
  void Wait(int milliseconds);
  // Wait() as the read-out and the self-test take it.
  WaitFunction TimedWait() {
    return [this](int milliseconds) { Wait(milliseconds); };
  }

 private:
  void Record(PinEvent::Kind kind, std::uint8_t value, bool ok);

  IPinPort& port_;
  PinTrace& trace_;
  WaitFunction wait_;
  std::int64_t waited_ = 0;  // microseconds
  std::int64_t last_ = -1;   // the time of the last operation recorded
};

}  // namespace quarrow
