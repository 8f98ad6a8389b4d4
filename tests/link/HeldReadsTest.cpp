// SPDX-License-Identifier: GPL-3.0-or-later
// The clocking steps on a port that takes reads with the next write, against the same steps with
// every read made alone: the same samples, the same driven pins through each wait, the same failures.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

// The simulated programmer, its pins in `stuckHigh` reading high whatever drives them (a short to
// the supply); with `exchanges`, it offers to take reads with the next write.
struct ExchangingPort final : IPinPort {
  ExchangingPort(IPinPort& inner, bool exchanges, std::uint8_t stuckHigh)
      : inner(inner), exchanges(exchanges), stuckHigh(stuckHigh) {}
  bool WritePins(std::uint8_t value) override { return inner.WritePins(last = value); }
  bool ReadPins(std::uint8_t& value) override {
    ++readsAlone;
    if (!inner.ReadPins(value)) return false;
    value |= stuckHigh;
    return true;
  }
  bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) override {
    readsAlone -= static_cast<int>(levels.size());
    return IPinPort::ReadThenWrite(levels, value);
  }
  bool ExchangesReadsWithWrite() const override { return exchanges; }

  IPinPort& inner;
  bool exchanges;
  std::uint8_t stuckHigh;
  std::uint8_t last = 0;
  int readsAlone = 0;  // reads without a write after them in their exchange
};

struct HeldCase {
  const char* name;
  bool selfTest;  // the self-test's samples, else the read-out's
  std::uint8_t stuckHigh;
  bool unplugged;  // every operation fails
  int readsAlone;  // held, at the end
};

// Each sample (sample, written, read), each wait's driven pins, then the failures.
std::vector<int> Clock(const HeldCase& c, bool exchanges, int& readsAlone) {
  ConnectedSimulation s;
  SimulatedOptions options;
  options.unplugged = c.unplugged;
  s.sim.SetOptions(options);
  ExchangingPort port(s.port, exchanges, c.stuckHigh);
  std::vector<int> seen;
  const WaitFunction wait = [&](int) { seen.push_back(1 << 24 | (port.last & s.pins.DirectionMask())); };
  PinClocking clocking = c.selfTest
      ? PinClocking(port, s.pins, wait, {PinSample::AtReset, PinSample::BitLevel, PinSample::InPulse})
      : PinClocking(port, s.pins, wait, {PinSample::BitLevel, PinSample::AfterPulse});
  const auto sink = [&](PinSample sample, std::uint8_t written, std::uint8_t read) {
    seen.push_back(static_cast<int>(sample) << 16 | written << 8 | read);
  };
  clocking.Run(kResetSteps, sink);
  for (int n = 0; n < 8; ++n) clocking.Run(kBitSteps, sink);
  seen.push_back(clocking.Finish());
  readsAlone = port.readsAlone;
  return seen;
}

class HeldReads : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldReads, GiveTheSamplesDrivenPinsAndFailuresOfReadsMadeAlone) {
  int readsAlone = 0;
  const std::vector<int> alone = Clock(GetParam(), false, readsAlone);
  EXPECT_EQ(Clock(GetParam(), true, readsAlone), alone);
  EXPECT_EQ(readsAlone, GetParam().readsAlone);
}

// A reset pin reading high is carried into the byte by the reads with the clock high: the write
// after them must drive it high as well, which the exchange's predicted byte did not.
INSTANTIATE_TEST_SUITE_P(
    Ports, HeldReads,
    ::testing::Values(HeldCase{"ReadOutResetReadsHigh", false, 0x02, false, 1}, HeldCase{"ReadOutUnplugged", false, 0, true, 1},
                      HeldCase{"SelfTestResetReadsHigh", true, 0x02, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarrow::test
