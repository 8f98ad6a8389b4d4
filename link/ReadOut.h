// SPDX-License-Identifier: GPL-3.0-or-later
// The RP5H01 read-out: reset the PROM, then sample and clock out its 128 bits through an IPinPort,
// reporting progress and the result to a receiver through two synchronous notifications.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "PinAssignment.h"
#include "PinPort.h"
#include "PromImage.h"

namespace quarrow {

// Notification numbers, kept equal to the Windows messages the window receives (WM_APP + 100/101).
inline constexpr unsigned WM_READ_PROGRESS = 0x8064;  // wParam: bits read so far, 1..128
inline constexpr unsigned WM_READ_DONE = 0x8065;      // wParam: ReadOutcome; lParam: const char* text

enum class ReadOutcome : std::uintptr_t {
  Complete = 0,  // all 128 bits read, every pin operation succeeded
  Failed = 1,    // at least one pin operation failed: the bits cannot be trusted
  Stopped = 2,   // asked to stop; the image holds the bits read before the stop
};

// Receives the worker's notifications. Each call is synchronous: the worker waits until it returns,
// so the text passed with WM_READ_DONE stays valid exactly for the duration of the call.
class IReadReceiver {
 public:
  virtual ~IReadReceiver() = default;
  virtual std::intptr_t Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// Protocol timing, in milliseconds. The waits let the programmer's USB transfer reach the pins and
// give the PROM time to settle; a whole read is 2 x 20 + 128 x 3 x 10 = 3,880 ms of waiting.
inline constexpr int kResetWaitMs = 20;
inline constexpr int kClockWaitMs = 10;
inline constexpr int kReadWaitFloorMs = 2 * kResetWaitMs + PromImage::kBits * 3 * kClockWaitMs;

using WaitFunction = std::function<void(int milliseconds)>;
void SleepMilliseconds(int milliseconds);  // the real wait

// Everything one read needs. The worker never builds its own port or chooses a back end.
struct ReadPromJob {
  IPinPort& port;
  std::uint8_t& pinByte;
  PromImage& image;
  IReadReceiver& receiver;
  WaitFunction wait = SleepMilliseconds;
  // Set from another thread to stop at the next bit boundary. May be null.
  const std::atomic<bool>* stopRequested = nullptr;
  // Which pins carry clock, reset and data; the default is the board the tool was built for.
  PinAssignment pins = {};
};

// What a finished read produced; also handed back by ReadPromThread for callers that run it inline.
struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Complete;
  int bitsRead = 0;
  int failedPinOperations = 0;
  std::string text;  // FormatImageText of the image at the end
};

// The worker: clears the image, resets the PROM, reads 128 bits, sends WM_READ_PROGRESS after every
// bit and WM_READ_DONE once at the end (also after a failure or a stop).
ReadResult ReadPromThread(ReadPromJob& job);

}  // namespace quarrow
