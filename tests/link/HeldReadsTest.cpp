// SPDX-License-Identifier: GPL-3.0-or-later
// The clocking steps on a port that takes reads with the next write, against the same steps with
// every read made alone: the same samples, the same driven pins through each wait, the same failures.
#include <gtest/gtest.h>

#include <tuple>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

// The simulated programmer, its pins in `stuckHigh` reading high whatever drives them (a short to
// the supply); with `exchanges`, it offers to take reads with the next write.
struct ExchangingPort final : IPinPort {
  ExchangingPort(IPinPort& inner, bool exchanges, std::uint8_t stuckHigh)
      : inner(inner), exchanges(exchanges), stuckHigh(stuckHigh) {}
  bool WritePins(std::uint8_t value) override {
    last = value;
    return inner.WritePins(value);
  }
  bool ReadPins(std::uint8_t& value) override {
    ++reads;
    if (!inner.ReadPins(value)) return false;
    value |= stuckHigh;
    return true;
  }
  bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) override {
    readsWithWrites += static_cast<int>(levels.size());
    return IPinPort::ReadThenWrite(levels, value);
  }
  bool ExchangesReadsWithWrite() const override { return exchanges; }

  IPinPort& inner;
  bool exchanges;
  std::uint8_t stuckHigh;
  std::uint8_t last = 0;
  int reads = 0;
  int readsWithWrites = 0;
};

struct HeldCase {
  const char* name;
  bool selfTest;  // the self-test's samples, else the read-out's
  std::uint8_t stuckHigh = 0;
  int failReadsFromBit = -1;
  int readsAlone = 0;  // reads with no write after them, made on their own
};

struct Clocked {
  std::vector<std::tuple<PinSample, std::uint8_t, std::uint8_t>> samples;
  std::vector<std::uint8_t> drivenAtWaits;
  int failed = 0;
  int readsAlone = 0;
};

Clocked Clock(const HeldCase& c, bool exchanges) {
  ConnectedSimulation s;
  s.sim.SetOptions([&] {
    SimulatedOptions options;
    options.failReadsFromBit = c.failReadsFromBit;
    return options;
  }());
  ExchangingPort port(s.port, exchanges, c.stuckHigh);
  Clocked out;
  const WaitFunction wait = [&](int) { out.drivenAtWaits.push_back(port.last & s.pins.DirectionMask()); };
  PinClocking clocking = c.selfTest
      ? PinClocking(port, s.pins, wait, {PinSample::AtReset, PinSample::BitLevel, PinSample::InPulse})
      : PinClocking(port, s.pins, wait, {PinSample::BitLevel, PinSample::AfterPulse});
  const auto sink = [&](PinSample sample, std::uint8_t written, std::uint8_t read) {
    out.samples.emplace_back(sample, written, read);
  };
  clocking.Run(kResetSteps, sink);
  for (int n = 0; n < 8; ++n) clocking.Run(kBitSteps, sink);
  out.failed = clocking.Finish();
  out.readsAlone = port.reads - port.readsWithWrites;
  return out;
}

class HeldReads : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldReads, GiveTheSamplesDrivenPinsAndFailuresOfReadsMadeAlone) {
  const Clocked alone = Clock(GetParam(), false);
  const Clocked held = Clock(GetParam(), true);
  EXPECT_EQ(held.samples, alone.samples);
  EXPECT_EQ(held.drivenAtWaits, alone.drivenAtWaits);
  EXPECT_EQ(held.failed, alone.failed);
  EXPECT_EQ(held.readsAlone, GetParam().readsAlone);
}

// A reset pin reading high is carried into the byte by the reads with the clock high: the write
// after them must drive it high as well, which the exchange's predicted byte did not.
INSTANTIATE_TEST_SUITE_P(
    Ports, HeldReads,
    ::testing::Values(HeldCase{"ReadOut", false, 0, -1, 1}, HeldCase{"ReadOutResetReadsHigh", false, 0x02, -1, 1},
                      HeldCase{"ReadOutReadsFailing", false, 0, 3, 1},
                      HeldCase{"SelfTestResetReadsHigh", true, 0x02, -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarrow::test
