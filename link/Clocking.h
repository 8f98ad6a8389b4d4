// SPDX-License-Identifier: GPL-3.0-or-later
// The clocking of the RP5H01, written once as steps over the pins: the reset, then one bit's
// sample and clock pulse. The read-out and the wiring self-test both run these steps; each takes
// the samples it needs, so the writes, their order and their waits are the same for both.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "PinAssignment.h"
#include "PinPort.h"

namespace quarrow {

// Protocol timing, in milliseconds. The waits let the programmer's USB transfer reach the pins and
// give the PROM time to settle; a whole read is 2 x 20 + 128 x 3 x 10 = 3,880 ms of waiting.
inline constexpr int kResetWaitMs = 20;
inline constexpr int kClockWaitMs = 10;
// The least a real wait lasts after a write has returned, however long the write took.
inline constexpr int kLeastSettleMs = 1;

using WaitFunction = std::function<void(int milliseconds)>;
void SleepMilliseconds(int milliseconds);  // the real wait
void SleepUntil(std::chrono::steady_clock::time_point deadline);

// The moments at which the pins can be read.
enum class PinSample {
  AtReset,     // reset and clock high
  BitLevel,    // clock high before the pulse: the bit the chip presents (the read's sample)
  InPulse,     // clock low, in the pulse
  AfterPulse,  // clock high again after the pulse
};

struct ClockingStep {
  enum class Kind { ResetHigh, ResetLow, ClockHigh, ClockLow, Read };
  Kind kind;
  int waitMs = 0;                          // after a write
  PinSample sample = PinSample::BitLevel;  // of a read
};

// Reset high with the clock high, then reset low: the chip then presents stream bit 0.
inline constexpr std::array<ClockingStep, 3> kResetSteps = {{
    {ClockingStep::Kind::ResetHigh, kResetWaitMs},
    {ClockingStep::Kind::Read, 0, PinSample::AtReset},
    {ClockingStep::Kind::ResetLow, kResetWaitMs},
}};
// One bit: sample, then one low pulse on the clock moves the chip to the next bit.
inline constexpr std::array<ClockingStep, 6> kBitSteps = {{
    {ClockingStep::Kind::Read, 0, PinSample::BitLevel},
    {ClockingStep::Kind::ClockHigh, kClockWaitMs},
    {ClockingStep::Kind::ClockLow, kClockWaitMs},
    {ClockingStep::Kind::Read, 0, PinSample::InPulse},
    {ClockingStep::Kind::ClockHigh, kClockWaitMs},
    {ClockingStep::Kind::Read, 0, PinSample::AfterPulse},
}};

// Runs steps over a port, keeping the pin byte that every write sends. Reads at the sample
// moments the runner does not take are skipped. A read with the clock high before or after the
// pulse carries the clock, reset and data levels read into the byte (PinAssignment::AfterRead),
// so reset and data are written back at the levels just read; the other pins stay as written.
//
// On a port that exchanges reads with a write (IPinPort::ExchangesReadsWithWrite) a taken read is
// held until the next write and goes out with it, ahead of it: nothing is written in between, so
// the levels are those the read would have had on its own, and a round trip is saved. The
// exchange's byte is the one the written pins predict (they read back what they drive); when a
// driven pin read otherwise, the byte the read would have led to follows at once. Samples reach the
// sink in the same order and with the same values either way, a held one once its exchange is back
// or at Finish().
class PinClocking {
 public:
  // `written`: the byte last written; `read`: the levels read, or `written`'s levels when the
  // read failed.
  using SampleSink = std::function<void(PinSample sample, std::uint8_t written, std::uint8_t read)>;

  PinClocking(IPinPort& port, const PinAssignment& pins, const WaitFunction& wait,
              std::initializer_list<PinSample> taken);
  template <std::size_t N>
  void Run(const std::array<ClockingStep, N>& steps, const SampleSink& sink = {}) {
    for (const ClockingStep& step : steps) Step(step, sink);
  }
  // Takes the reads still held, then returns the pin operations that failed in all. Called after
  // the last step and at a stop; without it a held read would be lost and the count short. The
  // steps never branch on one (the clocking must stay in step with the chip), but a single failure
  // means the levels read cannot be trusted.
  int Finish();

 private:
  // A taken read not yet made, with the sink of the Run it came from.
  struct HeldRead {
    PinSample sample = PinSample::BitLevel;
    SampleSink sink;
  };
  // A handful covers the reads between two writes of any steps; more go out on their own.
  static constexpr std::size_t kMostHeld = 4;

  void Step(const ClockingStep& step, const SampleSink& sink);
  void Write(ClockingStep::Kind kind, int waitMs);
  std::uint8_t ByteFor(ClockingStep::Kind kind, std::uint8_t byte) const;
  // A read made with `level` (nothing when it failed): counted, carried into the byte, sampled.
  void Took(PinSample sample, std::optional<std::uint8_t> level, const SampleSink& sink);
  void ReadNow(PinSample sample, const SampleSink& sink);
  void ReadHeld();

  IPinPort& port_;
  const PinAssignment& pins_;
  const WaitFunction& wait_;
  const bool holdReads_;
  unsigned taken_ = 0;  // bit per PinSample
  std::uint8_t byte_ = 0;
  int failed_ = 0;
  std::array<HeldRead, kMostHeld> held_;
  std::size_t heldCount_ = 0;
};

}  // namespace quarrow
