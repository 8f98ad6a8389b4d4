// SPDX-License-Identifier: GPL-3.0-or-later
// The RP5H01 read-out protocol: reset the PROM, then sample and clock out its 128 bits.
#include "ReadOut.h"

#include <chrono>
#include <thread>

#include "SleepResolution.h"

#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace quarrow {

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
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
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  ::Sleep(static_cast<DWORD>(milliseconds));
  while (std::chrono::steady_clock::now() < until) ::Sleep(1);
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
#endif
}

ReadCompletion ReadProm(const ReadPromJob& job) {
  ReadCompletion result;
  IPinPort& port = job.port;
  std::uint8_t pinByte = 0;
  const WaitFunction& wait = job.wait ? job.wait : WaitFunction(SleepMilliseconds);

  // The protocol never branches on a pin operation's status (the clocking must stay in step with
  // the chip), but a single failed operation means the image cannot be trusted, so each is counted.
  auto write = [&](int waitMs) {
    if (!port.WritePins(pinByte)) ++result.failedPinOperations;
    wait(waitMs);
  };
  auto read = [&] {
    std::uint8_t levels = pinByte;
    if (!port.ReadPins(levels)) ++result.failedPinOperations;
    pinByte = job.pins.AfterRead(pinByte, levels);
  };
  auto stopRequested = [&] {
    return job.stopRequested != nullptr && job.stopRequested->load(std::memory_order_acquire);
  };

  // For the whole read, not per wait: raising and lowering the resolution has a cost of its own.
  [[maybe_unused]] const FineSleepResolution fineSleeps;  // does nothing on Linux

  const std::uint8_t clock = job.pins.ClockMask();
  const std::uint8_t reset = job.pins.ResetMask();
  const std::uint8_t data = job.pins.DataMask();

  // Reset: reset high with the clock high, then reset low; the chip then presents stream bit 0 on
  // its data line.
  pinByte = clock | reset;
  write(kResetWaitMs);
  pinByte ^= reset;
  write(kResetWaitMs);

  bool stopped = false;
  for (int n = 0; n < PromImage::kBits; ++n) {
    if (stopRequested()) {
      stopped = true;
      break;
    }
    read();
    if (((pinByte & data) != 0) != job.pins.invertData) result.image.SetBit(n);
    // One low pulse on the clock moves the chip to the next bit. Reset and data are written back at
    // the levels just read, so reset stays low throughout; the data pin is an input, which the
    // write leaves alone.
    pinByte |= clock;
    write(kClockWaitMs);
    pinByte ^= clock;
    write(kClockWaitMs);
    pinByte |= clock;
    write(kClockWaitMs);
    read();
    result.bitsRead = n + 1;
    job.receiver.OnReadProgress(ReadProgress{n + 1});
  }

  // A failure outranks a stop: the bits read before the stop are not trustworthy either.
  if (result.failedPinOperations > 0) {
    result.outcome = ReadOutcome::Failed;
  } else if (stopped) {
    result.outcome = ReadOutcome::Stopped;
  } else {
    result.outcome = ReadOutcome::Complete;
  }
  job.receiver.OnReadCompletion(result);
  return result;
}

}  // namespace quarrow
