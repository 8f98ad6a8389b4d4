// SPDX-License-Identifier: GPL-3.0-or-later
// The RP5H01 read-out protocol: reset the PROM, then sample and clock out its 128 bits.
#include "ReadOut.h"

#include "SleepResolution.h"

namespace quarrow {

ReadCompletion ReadProm(const ReadPromJob& job) {
  ReadCompletion result;
  const WaitFunction& wait = job.wait ? job.wait : WaitFunction(SleepMilliseconds);
  auto stopRequested = [&] {
    return job.stopRequested != nullptr && job.stopRequested->load(std::memory_order_acquire);
  };

  // For the whole read, not per wait: raising and lowering the resolution has a cost of its own.
  [[maybe_unused]] const FineSleepResolution fineSleeps;  // does nothing on Linux

  const std::uint8_t data = job.pins.DataMask();
  PinClocking clocking(job.port, job.pins, wait, {PinSample::BitLevel, PinSample::AfterPulse});
  clocking.Run(kResetSteps);

  bool stopped = false;
  for (int n = 0; n < PromImage::kBits; ++n) {
    if (stopRequested()) {
      stopped = true;
      break;
    }
    clocking.Run(kBitSteps, [&](PinSample sample, std::uint8_t, std::uint8_t levels) {
      if (sample == PinSample::BitLevel && ((levels & data) != 0) != job.pins.invertData) {
        result.image.SetBit(n);
      }
    });
    result.bitsRead = n + 1;
    job.receiver.OnReadProgress(ReadProgress{n + 1});
  }
  result.failedPinOperations = clocking.Finish();

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
