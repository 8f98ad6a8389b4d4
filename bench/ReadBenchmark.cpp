// SPDX-License-Identifier: GPL-3.0-or-later
// A whole PROM read with the real waits, with and without a pin trace being recorded, on the
// programmer `--backend` names: the simulated one (the default), or a stand-in below a real library
// (`ch341a`: the real libusb against a CH341A mocked at usbfs, run under umockdev-wrapper; `gpio`:
// the real libgpiod against a GPIO chip emulated at the kernel's ioctls, in this process). Reports
// wall time per read against the protocol's floor of waiting (kReadWaitFloorMs) and the CPU time the
// reading thread spends, which must stay small: the waits are sleeps, not spins.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>

#include "Connection.h"
#include "PinTrace.h"
#include "ReadOut.h"
#include "VcdWriter.h"
#include "sim/SimulatedProgrammer.h"
#ifdef QUARROW_BENCH_STAND_INS
#include "FakeCh341a.h"
#include "ch341a/Ch341aLibrary.h"
#endif
#ifdef QUARROW_BENCH_GPIO
#include "FakeGpioKernel.h"
#include "gpio/GpioLibrary.h"
#endif

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

// The programmer the reads go through, with the chip it holds and the wiring it is connected with.
struct BenchProgrammer {
  virtual ~BenchProgrammer() = default;
  virtual IProgrammerLibrary& Library() = 0;
  PromImage chip = SimulatedSampleImage();
  PinAssignment wiring;
};

struct SimulatedBench final : BenchProgrammer {
  SimulatedProgrammer sim{chip};
  IProgrammerLibrary& Library() override { return sim; }
};

#ifdef QUARROW_BENCH_STAND_INS
// Clock and reset where the programmer's socket puts CLK and MOSI, data on MISO, which only reads.
struct Ch341aBench final : BenchProgrammer {
  test::MockUsbBus bus;
  Ch341aLibrary library;
  Ch341aBench() {
    wiring.clock = 3;
    wiring.reset = 5;
    wiring.data = 7;
    test::Ch341aSpec spec;
    spec.chip = chip;
    spec.wiring = wiring;
    test::PlugCh341a(bus, spec);
  }
  IProgrammerLibrary& Library() override { return library; }
};
#endif

#ifdef QUARROW_BENCH_GPIO
// A Raspberry Pi's header with the PROM's clock, reset and data on GPIO17, GPIO27 and GPIO22.
struct GpioBench final : BenchProgrammer {
  test::FakeGpioKernel kernel;
  GpioLibrary library;
  GpioBench() {
    const test::GpioChipSpec pi = test::RaspberryPiWithProm(chip);
    // A GPIO chip takes a wiring only as lines of its own.
    wiring.namedChip = "gpiochip" + std::to_string(kernel.Add(pi));
    wiring.clock = pi.clock;
    wiring.reset = pi.reset;
    wiring.data = pi.data;
  }
  IProgrammerLibrary& Library() override { return library; }
};
#endif

std::string g_backend = "simulated";

std::unique_ptr<BenchProgrammer> MakeBenchProgrammer() {
  if (g_backend == "simulated") return std::make_unique<SimulatedBench>();
#ifdef QUARROW_BENCH_STAND_INS
  if (g_backend == "ch341a") return std::make_unique<Ch341aBench>();
#endif
#ifdef QUARROW_BENCH_GPIO
  if (g_backend == "gpio") return std::make_unique<GpioBench>();
#endif
  return nullptr;
}

// The bench's programmer, connected, with everything a read needs.
struct ConnectedSimulation {
  std::unique_ptr<BenchProgrammer> programmer = MakeBenchProgrammer();
  Connection connection{programmer->Library()};
  NullReceiver receiver;

  bool Connect() {
    const std::vector<DeviceEntry> entries = connection.List();
    return !entries.empty() && connection.Connect(entries.front(), programmer->wiring).ok;
  }
  ReadCompletion Read(const WaitFunction& wait, PinTrace* trace = nullptr) {
    return connection.Read(receiver, nullptr, trace, wait);
  }
  PromImage Chip() const { return programmer->chip; }
};

// A whole read with the real waits; `traced`: through the recording pin port, as read --trace
// reads, its time taken from the same waits.
void WholeRead(benchmark::State& state, bool traced) {
  ConnectedSimulation s;
  if (!s.Connect()) {
    state.SkipWithError("cannot connect to the programmer --backend names");
    return;
  }

  double wallMs = 0;
  double cpuMs = 0;
  bool complete = true;
  std::size_t events = 0;
  for (auto _ : state) {
    PinTrace trace = s.connection.TraceFor(s.programmer->wiring);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    const ReadCompletion result = s.Read(SleepMilliseconds, traced ? &trace : nullptr);
    cpuMs += ThreadCpuMs() - cpuStart;
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    complete = complete && result.outcome == ReadOutcome::Complete && result.image == s.Chip();
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
    state.SkipWithError("cannot connect to the programmer --backend names");
    return;
  }
  PinTrace trace = s.connection.TraceFor(s.programmer->wiring);
  s.Read([](int) {}, &trace);
  for (auto _ : state) benchmark::DoNotOptimize(PinTraceVcd(trace));
}

// The same read with the waits left out: what the protocol and the simulated pins cost by
// themselves, apart from the kernel's cost of 386 sleeps.
void BM_ReadWithoutWaits(benchmark::State& state) {
  ConnectedSimulation s;
  if (!s.Connect()) {
    state.SkipWithError("cannot connect to the programmer --backend names");
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

// --backend NAME chooses the programmer; the other arguments are Google Benchmark's.
int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--backend=", 0) == 0) {
      quarrow::g_backend = arg.substr(std::strlen("--backend="));
    } else if (arg == "--backend" && i + 1 < argc) {
      quarrow::g_backend = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (!quarrow::MakeBenchProgrammer()) {
    std::cerr << "read_bench: unknown back end \"" << quarrow::g_backend << "\" (simulated"
#ifdef QUARROW_BENCH_STAND_INS
              << ", ch341a"
#endif
#ifdef QUARROW_BENCH_GPIO
              << ", gpio"
#endif
              << ")\n";
    return 2;
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(count, rest.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
