// SPDX-License-Identifier: GPL-3.0-or-later
// A whole PROM read on the simulated programmer with the real waits, timed without Google
// Benchmark (which has no MinGW build to link against): for Windows and Wine, where the waits depend
// on the system's timer resolution. Prints the wall time of each read against the protocol's floor
// of waiting (kReadWaitFloorMs), then the waits of one read alone: with and without the fine
// resolution that a read asks for, and through the standard library's sleep_for instead.
//   read_timing [reads]     (default 3)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Connection.h"
#include "ReadOut.h"
#include "SleepResolution.h"
#include "sim/SimulatedProgrammer.h"

namespace {

using namespace quarrow;

class NullReceiver : public IReadReceiver {
 public:
  void OnReadProgress(const ReadProgress&) override {}
  void OnReadCompletion(const ReadCompletion&) override {}
};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The 386 waits of one read and nothing else.
double WaitsOfOneReadMs(void (*sleep)(int milliseconds) = SleepMilliseconds) {
  const auto start = Clock::now();
  sleep(kResetWaitMs);
  sleep(kResetWaitMs);
  for (int wait = 0; wait < PromImage::kBits * 3; ++wait) sleep(kClockWaitMs);
  return MillisecondsSince(start);
}

// The standard library's sleep, which SleepMilliseconds does not use on Windows: for comparison.
void StandardSleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Report(const char* what, double ms) {
  std::printf("%-44s %8.1f ms  %.3f x %d ms\n", what, ms, ms / kReadWaitFloorMs, kReadWaitFloorMs);
}

}  // namespace

int main(int argc, char** argv) {
  const int reads = argc > 1 ? std::atoi(argv[1]) : 3;

  SimulatedProgrammer sim;
  Connection connection(sim);
  if (!connection.Connect(EntryForSerial(kSimulatedSerial), {}).ok) {
    std::fprintf(stderr, "read_timing: cannot connect to the simulated programmer\n");
    return 1;
  }
  NullReceiver receiver;

  for (int i = 0; i < reads; ++i) {
    const auto start = Clock::now();
    const ReadCompletion result = connection.Read(receiver, nullptr);
    const double ms = MillisecondsSince(start);
    if (result.outcome != ReadOutcome::Complete || result.image != sim.Chip()) {
      std::fprintf(stderr, "read_timing: a read did not return the simulated chip\n");
      return 1;
    }
    Report("whole read (fine sleep resolution)", ms);
  }

  Report("waits alone, system's default resolution", WaitsOfOneReadMs());
  {
    const FineSleepResolution fine;
    Report("waits alone, fine sleep resolution", WaitsOfOneReadMs());
    Report("std::this_thread::sleep_for, fine resolution", WaitsOfOneReadMs(StandardSleep));
  }
  return 0;
}
