// SPDX-License-Identifier: GPL-3.0-or-later
// The RP5H01 read-out: reset the PROM, then sample and clock out its 128 bits through an IPinPort,
// reporting its progress and its completion, image included, to a receiver as values.
#pragma once

#include <atomic>
#include <cstdint>

#include "Clocking.h"
#include "PinAssignment.h"
#include "PinPort.h"
#include "PromImage.h"

namespace quarrow {

enum class ReadOutcome {
  Complete,  // all 128 bits read, every pin operation succeeded
  Failed,    // at least one pin operation failed: the bits cannot be trusted
  Stopped,   // asked to stop; the image holds the bits read before the stop
};

// After every bit read.
struct ReadProgress {
  int bitsRead = 0;  // 1..128
};

// Once at the end of a read, also after a failure or a stop: what it produced, as a value that
// outlives the read.
struct ReadCompletion {
  ReadOutcome outcome = ReadOutcome::Complete;
  PromImage image;  // the bits read; all of them only when the outcome is Complete
  int bitsRead = 0;
  int failedPinOperations = 0;
};

// Receives a read's events on the read's own thread, in order; the read goes on when a call
// returns.
class IReadReceiver {
 public:
  virtual ~IReadReceiver() = default;
  virtual void OnReadProgress(const ReadProgress& progress) = 0;
  virtual void OnReadCompletion(const ReadCompletion& completion) = 0;
};

// The waiting of a whole read: 2 x 20 + 128 x 3 x 10 = 3,880 ms.
inline constexpr int kReadWaitFloorMs = 2 * kResetWaitMs + PromImage::kBits * 3 * kClockWaitMs;

// Everything one read needs. The worker never builds its own port or chooses a back end.
struct ReadPromJob {
  IPinPort& port;
  IReadReceiver& receiver;
  WaitFunction wait = SleepMilliseconds;
  // Set from another thread to stop at the next bit boundary. May be null.
  const std::atomic<bool>* stopRequested = nullptr;
  // Which pins carry clock, reset and data; the default is the board the tool was built for.
  PinAssignment pins = {};
};

// The read-out: resets the PROM, reads 128 bits, reports progress after every bit and completion
// once at the end (also after a failure or a stop), and hands the completion back as well for
// callers that run it inline.
ReadCompletion ReadProm(const ReadPromJob& job);

}  // namespace quarrow
