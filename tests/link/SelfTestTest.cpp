// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test against simulated boards and against pin ports with the usual faults.
#include <gtest/gtest.h>

#include <algorithm>

#include "LinkTestSupport.h"
#include "SelfTest.h"
#include "SelfTestText.h"

namespace quarrow::test {
namespace {

WiringSelfTestResult Check(ConnectedSimulation& s) {
  return RunWiringSelfTest(s.port, s.pins, [&](int ms) { s.waits.emplace_back(s.record.PinWrites(), ms); });
}

std::vector<WiringFinding> Findings(const WiringSelfTestResult& result) {
  std::vector<WiringFinding> findings;
  for (const auto& f : result.findings) findings.push_back(f.finding);
  return findings;
}

std::string Verdict(const WiringSelfTestResult& result) { return WiringVerdict(result, false); }

TEST(WiringSelfTest, FindsTheDefaultBoardPlausibleWritingOnlyWhatAReadWritesAndTakingUnderASecond) {
  ConnectedSimulation s;
  const WiringSelfTestResult result = Check(s);
  EXPECT_TRUE(result.plausible) << Verdict(result);
  EXPECT_EQ(Findings(result), (std::vector<WiringFinding>{WiringFinding::OutputFollows,
                                                          WiringFinding::OutputFollows,
                                                          WiringFinding::DataLikeAChip,
                                                          WiringFinding::PolarityUnseen}));
  EXPECT_EQ(Verdict(result), "Wiring plausible");
  int waited = 0;
  for (const auto& [writes, ms] : s.waits) waited += ms;
  EXPECT_LT(waited, 1000);

  // Each of its two passes writes what the start of a read writes.
  const std::vector<std::uint8_t> checked = s.record.WrittenBytes();
  s.record.ClearRecord();
  s.Read();
  const std::vector<std::uint8_t> read = s.record.WrittenBytes();
  const std::size_t firstPass = 2 + 3 * kSelfTestBits;
  ASSERT_EQ(checked.size(), firstPass + 2 + 3 * kSelfTestRepeatBits);
  EXPECT_TRUE(std::equal(checked.begin(), checked.begin() + firstPass, read.begin()));
  EXPECT_TRUE(std::equal(checked.begin() + firstPass, checked.end(), read.begin()));
}

struct FaultCase {
  const char* name;
  const char* board;
  const char* told;
  WiringFinding clock, reset, data;
};

class WiringSelfTestFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(WiringSelfTestFault, NamesTheLikelyFault) {
  const FaultCase& c = GetParam();
  ConnectedSimulation s(Board(c.board), Pins(c.told));
  const WiringSelfTestResult result = Check(s);
  EXPECT_FALSE(result.plausible);
  EXPECT_EQ(Findings(result), (std::vector<WiringFinding>{c.clock, c.reset, c.data}));
  EXPECT_EQ(Verdict(result).rfind("Wiring fault likely: ", 0), 0u) << Verdict(result);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, WiringSelfTestFault,
    ::testing::Values(
        FaultCase{"DefaultOnRtsBoard", "clock=D2,reset=D3,data=D6", "clock=D0,reset=D1,data=D4",
                  WiringFinding::OutputFollows, WiringFinding::OutputFollows, WiringFinding::DataNeverChanges},
        FaultCase{"ClockOnTheDataPin", "clock=D2,reset=D3,data=D6", "clock=D6,reset=D3,data=D2",
                  WiringFinding::OutputStuck, WiringFinding::OutputFollows, WiringFinding::DataNeverChanges}),
    [](const auto& info) { return std::string(info.param.name); });

struct FixCase {
  const char* name;
  const char* board;
  WiringFinding finding;
};

class WiringSelfTestFix : public ::testing::TestWithParam<FixCase> {};

// The default told, the board wired otherwise: the check names the wiring that reads the chip,
// which then reads, and it drove no pin but the default's clock and reset.
TEST_P(WiringSelfTestFix, NamesTheWiringThatReadsTheChipDrivingOnlyClockAndReset) {
  const FixCase& c = GetParam();
  ConnectedSimulation s(Board(c.board), PinAssignment{});
  const WiringSelfTestResult result = Check(s);
  EXPECT_FALSE(result.plausible);
  const auto fix = std::find_if(result.findings.begin(), result.findings.end(),
                                [](const WiringFindingLine& f) { return f.fix.has_value(); });
  ASSERT_NE(fix, result.findings.end()) << Verdict(result);
  EXPECT_EQ(fix->finding, c.finding);
  EXPECT_EQ(*fix->fix, Pins(c.board));
  EXPECT_NE(Verdict(result).find(std::string("read it with --pins ") + c.board), std::string::npos)
      << Verdict(result);
  EXPECT_EQ(result.findings.back().finding, WiringFinding::PolarityUnseen);

  EXPECT_EQ(s.record.DrivenPins(), 0x03);
  for (std::uint8_t byte : s.record.WrittenBytes()) EXPECT_EQ(byte & ~0x13, 0) << int(byte);
  s.pins = *fix->fix;
  s.Read();
  EXPECT_EQ(s.image, SimulatedSampleImage());
}

INSTANTIATE_TEST_SUITE_P(
    Boards, WiringSelfTestFix,
    ::testing::Values(FixCase{"DataOnD6", "clock=D0,reset=D1,data=D6", WiringFinding::ChipOnOtherPin},
                      FixCase{"ClockAndResetSwapped", "clock=D1,reset=D0,data=D4", WiringFinding::ClockAndResetSwapped},
                      FixCase{"SwappedAndDataOnD7", "clock=D1,reset=D0,data=D7", WiringFinding::ClockAndResetSwapped}),
    [](const auto& info) { return std::string(info.param.name); });

// Boards the simulation does not wire: data shorted to the clock or to the reset line, and a line
// that picks up noise.
struct FaultyPort : IPinPort {
  enum Kind { DataOnClock, DataOnReset, Noisy } kind;
  std::uint8_t pins = 0;
  unsigned noise = 12345;
  explicit FaultyPort(Kind k) : kind(k) {}
  bool WritePins(std::uint8_t value) override {
    pins = value;
    return true;
  }
  bool ReadPins(std::uint8_t& value) override {
    bool data = false;
    if (kind == DataOnClock) data = pins & 0x01;
    if (kind == DataOnReset) data = pins & 0x02;
    if (kind == Noisy) data = ((noise = noise * 1103515245u + 12345u) >> 16) & 1u;
    value = static_cast<std::uint8_t>((pins & ~0x10) | (data ? 0x10 : 0));
    return true;
  }
};

TEST(WiringSelfTest, TellsDataShortedToClockOrResetAndANoisyLine) {
  const std::pair<FaultyPort::Kind, WiringFinding> cases[] = {
      {FaultyPort::DataOnClock, WiringFinding::DataFollowsClock},
      {FaultyPort::DataOnReset, WiringFinding::DataFollowsReset},
      {FaultyPort::Noisy, WiringFinding::DataNotRepeatable},
  };
  for (const auto& [kind, expected] : cases) {
    FaultyPort port(kind);
    const WiringSelfTestResult result = RunWiringSelfTest(port, PinAssignment{}, [](int) {});
    EXPECT_EQ(result.findings.at(2).finding, expected) << kind;
    EXPECT_FALSE(result.plausible);
  }
}

TEST(WiringSelfTest, AProgrammerThatStopsAnsweringIsAFault) {
  ConnectedSimulation s;
  s.Set([](SimulatedOptions& o) { o.unplugged = true; });
  const WiringSelfTestResult result = Check(s);
  EXPECT_FALSE(result.plausible);
  EXPECT_EQ(result.findings.back().finding, WiringFinding::PinOperationsFailed);
}

}  // namespace
}  // namespace quarrow::test
