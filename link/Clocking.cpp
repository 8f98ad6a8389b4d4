// SPDX-License-Identifier: GPL-3.0-or-later
// The clocking steps run over a pin port.
#include "Clocking.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace quarrow {

namespace {
unsigned Bit(PinSample sample) { return 1u << static_cast<unsigned>(sample); }
}  // namespace

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

void SleepUntil(std::chrono::steady_clock::time_point deadline) {
#if defined(__linux__)
  // Linux lets a sleep end up to 50 us late by default so that wake-ups can be batched; over the
  // 386 waits of a read that adds tens of milliseconds. A tighter slack for the waiting thread keeps
  // each wait close to its length at no CPU cost.
  thread_local const bool slackSet = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
  (void)slackSet;
#endif
  // A blocking sleep, never a spin: the worker must leave the CPU to the window while the pins
  // settle. It may end a little late but never early.
#if defined(_WIN32)
  // MinGW's sleep_for waits on an event object with a time-out, which Wine times in its server and
  // ends later than Sleep does, the more so on a busy machine; Sleep is the system's plain wait. It
  // may end up to a timer tick early, so it is topped up to the full length.
  const auto left = deadline - std::chrono::steady_clock::now();
  if (left > std::chrono::milliseconds(1))
    ::Sleep(static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
  while (std::chrono::steady_clock::now() < deadline) ::Sleep(1);
#else
  std::this_thread::sleep_until(deadline);
#endif
}

namespace {

// Whether `wait` is the real sleep rather than a test's or a recording's stand-in.
bool IsRealSleep(const WaitFunction& wait) {
  const auto* target = wait.target<void (*)(int)>();
  return target != nullptr && *target == &SleepMilliseconds;
}

}  // namespace

PinClocking::PinClocking(IPinPort& port, const PinAssignment& pins, const WaitFunction& wait,
                         std::initializer_list<PinSample> taken)
    : port_(port), pins_(pins), wait_(wait), holdReads_(port.ExchangesReadsWithWrite()) {
  for (PinSample sample : taken) taken_ |= Bit(sample);
}

std::uint8_t PinClocking::ByteFor(ClockingStep::Kind kind, std::uint8_t byte) const {
  const std::uint8_t clock = pins_.ClockMask();
  const std::uint8_t reset = pins_.ResetMask();
  switch (kind) {
    case ClockingStep::Kind::ResetHigh: return clock | reset;
    case ClockingStep::Kind::ResetLow: return static_cast<std::uint8_t>(byte & ~reset);
    case ClockingStep::Kind::ClockHigh: return byte | clock;
    case ClockingStep::Kind::ClockLow: return static_cast<std::uint8_t>(byte & ~clock);
    case ClockingStep::Kind::Read: break;
  }
  return byte;
}

// The protocol's waits count from the write being issued, as the transfer to the pins is part of
// what they wait for: D2XX queues a write and returns at once, while libftdi and the CH341A return
// only once the programmer has taken it. Counting from the return would wait for each transfer
// twice, a fifth longer over a whole read. The pins changed before the write returned; a little
// settling after it is kept whatever the write took. Reads held for the write go out in the same
// exchange, before it, so they cost the wait nothing.
void PinClocking::Write(ClockingStep::Kind kind, int waitMs) {
  const auto issued = std::chrono::steady_clock::now();
  if (heldCount_ == 0) {
    byte_ = ByteFor(kind, byte_);
    if (!port_.WritePins(byte_)) ++failed_;
  } else {
    const std::uint8_t predicted = ByteFor(kind, byte_);
    std::array<std::optional<std::uint8_t>, kMostHeld> levels;
    if (!port_.ReadThenWrite(std::span(levels.data(), heldCount_), predicted)) ++failed_;
    for (std::size_t i = 0; i < heldCount_; ++i) Took(held_[i].sample, levels[i], held_[i].sink);
    heldCount_ = 0;
    byte_ = ByteFor(kind, byte_);
    // Only a driven pin makes the difference: the byte's other bits land on inputs.
    if (((byte_ ^ predicted) & pins_.DirectionMask()) != 0 && !port_.WritePins(byte_)) ++failed_;
  }
  if (!IsRealSleep(wait_)) return wait_(waitMs);
  const auto returned = std::chrono::steady_clock::now();
  SleepUntil(std::max(issued + std::chrono::milliseconds(waitMs), returned + std::chrono::milliseconds(kLeastSettleMs)));
}

void PinClocking::Took(PinSample sample, std::optional<std::uint8_t> level, const SampleSink& sink) {
  if (!level) ++failed_;
  const std::uint8_t written = byte_;
  const std::uint8_t levels = level.value_or(written);
  if (sample == PinSample::BitLevel || sample == PinSample::AfterPulse) byte_ = pins_.AfterRead(byte_, levels);
  if (sink) sink(sample, written, levels);
}

void PinClocking::ReadNow(PinSample sample, const SampleSink& sink) {
  std::uint8_t level = byte_;
  const bool read = port_.ReadPins(level);
  Took(sample, read ? std::optional(level) : std::nullopt, sink);
}

void PinClocking::ReadHeld() {
  for (std::size_t i = 0; i < heldCount_; ++i) ReadNow(held_[i].sample, held_[i].sink);
  heldCount_ = 0;
}

int PinClocking::Finish() {
  ReadHeld();
  return failed_;
}

void PinClocking::Step(const ClockingStep& step, const SampleSink& sink) {
  if (step.kind != ClockingStep::Kind::Read) return Write(step.kind, step.waitMs);
  if ((taken_ & Bit(step.sample)) == 0) return;
  if (!holdReads_) return ReadNow(step.sample, sink);
  if (heldCount_ == kMostHeld) ReadHeld();
  held_[heldCount_++] = {step.sample, sink};
}

}  // namespace quarrow
