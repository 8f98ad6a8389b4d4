// SPDX-License-Identifier: GPL-3.0-or-later
// A whole PROM read on the simulated programmer with the real waits, with and without a pin trace
// being recorded. Reports wall time per read against the protocol's floor of waiting
// (kReadWaitFloorMs) and the CPU time the reading thread spends, which must stay small: the waits
// are sleeps, not spins.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "Connection.h"
#include "PinTrace.h"
#include "ReadOut.h"
#include "VcdWriter.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow {
namespace {

class NullReceiver : public IReadReceiver {
 public:
  void OnReadProgress(const ReadProgress&) override {}
  void OnReadCompletion(const ReadCompletion&) override {}
};

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The simulated programmer, connected, with everything a read needs.
struct ConnectedSimulation {
  SimulatedProgrammer sim;
  Connection connection{sim};
  NullReceiver receiver;

  bool Connect() { return connection.Connect(EntryForSerial(kSimulatedSerial), {}).ok; }
  ReadCompletion Read(const WaitFunction& wait, PinTrace* trace = nullptr) {
    return connection.Read(receiver, nullptr, trace, wait);
  }
};

// A whole read with the real waits; `traced`: through the recording pin port, as read --trace
// reads, its time taken from the same waits.
void WholeRead(benchmark::State& state, bool traced) {
  ConnectedSimulation s;
  if (!s.Connect()) {
    state.SkipWithError("cannot connect to the simulated programmer");
    return;
  }

  double wallMs = 0;
  double cpuMs = 0;
  bool complete = true;
  std::size_t events = 0;
  for (auto _ : state) {
    PinTrace trace = PinTraceFor({});
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    const ReadCompletion result = s.Read(SleepMilliseconds, traced ? &trace : nullptr);
    cpuMs += ThreadCpuMs() - cpuStart;
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    complete = complete && result.outcome == ReadOutcome::Complete && result.image == s.sim.Chip();
    events += trace.events.size();
    benchmark::DoNotOptimize(result);
  }
  if (!complete) state.SkipWithError("a read did not return the simulated chip");
  if (traced != (events > 0)) state.SkipWithError("the read was not recorded as asked");
  const double reads = static_cast<double>(state.iterations());
  state.counters["wall_ms"] = wallMs / reads;
  state.counters["floor_ms"] = kReadWaitFloorMs;
  state.counters["wall_over_floor"] = wallMs / reads / kReadWaitFloorMs;
  state.counters["thread_cpu_ms"] = cpuMs / reads;
}

void BM_WholeRead(benchmark::State& state) { WholeRead(state, false); }
void BM_WholeReadTraced(benchmark::State& state) { WholeRead(state, true); }

// Turning a whole read's recording into the Value Change Dump that read --trace saves.
void BM_TraceToVcd(benchmark::State& state) {
  ConnectedSimulation s;
  if (!s.Connect()) {
    state.SkipWithError("cannot connect to the simulated programmer");
    return;
  }
  PinTrace trace = PinTraceFor({});
  s.Read([](int) {}, &trace);
  for (auto _ : state) benchmark::DoNotOptimize(PinTraceVcd(trace));
}

// The same read with the waits left out: what the protocol and the simulated pins cost by
// themselves, apart from the kernel's cost of 386 sleeps.
void BM_ReadWithoutWaits(benchmark::State& state) {
  ConnectedSimulation s;
  if (!s.Connect()) {
    state.SkipWithError("cannot connect to the simulated programmer");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.Read([](int) {}));
  }
}

// The waits of one read and nothing else: the kernel's cost of 386 sleeps on this machine, which
// bounds from below the CPU time any read that sleeps between its pin operations can have.
void BM_WaitsAlone(benchmark::State& state) {
  double cpuMs = 0;
  for (auto _ : state) {
    const double cpuStart = ThreadCpuMs();
    SleepMilliseconds(kResetWaitMs);
    SleepMilliseconds(kResetWaitMs);
    for (int wait = 0; wait < PromImage::kBits * 3; ++wait) SleepMilliseconds(kClockWaitMs);
    cpuMs += ThreadCpuMs() - cpuStart;
  }
  state.counters["thread_cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
}

BENCHMARK(BM_ReadWithoutWaits)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);
BENCHMARK(BM_WholeReadTraced)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);
BENCHMARK(BM_TraceToVcd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaitsAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);

}  // namespace
}  // namespace quarrow

BENCHMARK_MAIN();
