// SPDX-License-Identifier: GPL-3.0-or-later
// Pin assignments: their text form, the direction mask, reading boards wired other ways, and chips
// with fewer bit-bang pins.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

TEST(PinAssignment, ReadsPinNumbersAndSignalNamesInAnyOrderAndCase) {
  EXPECT_EQ(Pins("clock=D0,reset=D1,data=D4"), PinAssignment{});
  EXPECT_TRUE(Pins(" Data = dtr , CLOCK=txd,reset=RxD ").IsDefault());
  const PinAssignment rts = Pins("clock=RTS,reset=CTS,data=DCD");
  EXPECT_EQ(rts, Pins("clock=D2,reset=D3,data=D6"));
  EXPECT_EQ(rts.Text(), "clock=D2,reset=D3,data=D6");
  EXPECT_EQ(Pins("clock=ri,reset=dsr,data=d0").clock, 7);
}

TEST(PinAssignment, RefusesWhatCannotBeWiredSayingWhich) {
  const std::pair<const char*, const char*> cases[] = {
      {"clock=D0,reset=D1,data=D0", "D0 is given to both the clock and the data line"},
      {"clock=D0,clock=D2,reset=D1,data=D4", "clock line is named twice"},
      {"clock=D0,reset=D1,data=D8", "unknown pin \"D8\" for the data line"},
      {"clock=D0,reset=D1,strobe=D4", "unknown line \"strobe\""},
      {"clock=D0,reset=D1", "data line is missing"},
      {"clock=D0,reset=D1,data", "\"data\" is not LINE=PIN"},
      {"", "is not LINE=PIN"},
  };
  for (const auto& [text, why] : cases) {
    const PinAssignmentParse parse = ParsePinAssignment(text);
    EXPECT_FALSE(parse.assignment) << text;
    EXPECT_NE(parse.error.find(why), std::string::npos) << text << ": " << parse.error;
  }
  // A pasted page of text is quoted as a table field would be, cut short.
  const std::string flood = "clock=D0,reset=D1,data=" + std::string(100000, 'x');
  const PinAssignmentParse parse = ParsePinAssignment(flood);
  EXPECT_NE(parse.error.find("\"" + std::string(48, 'x') + "...\" for the data line"),
            std::string::npos);
  EXPECT_LT(parse.error.size(), 200u);
}

TEST(PinAssignment, DrivesAllPinsOnTheDefaultBoardAndOnlyClockAndResetOtherwise) {
  EXPECT_EQ(PinAssignment{}.DirectionMask(), 0xFF);
  EXPECT_EQ(Pins("clock=D2,reset=D3,data=D6").DirectionMask(), 0x0C);
  EXPECT_EQ(Pins("clock=D0,reset=D1,data=D4", true).DirectionMask(), 0x03);
}

struct RewiredCase {
  const char* name;
  const char* board;
  bool boardInverts;
  const char* told;
  bool toldInverted;
};

class RewiredBoard : public ::testing::TestWithParam<RewiredCase> {};

TEST_P(RewiredBoard, ReadsTheChipOnlyWhenToldHowItIsWired) {
  const RewiredCase& c = GetParam();
  ConnectedSimulation s(Board(c.board, c.boardInverts), Pins(c.told, c.toldInverted));
  const ReadResult result = s.Read();
  EXPECT_EQ(result.outcome, ReadOutcome::Complete);
  const bool matches = Pins(c.board, c.boardInverts) == Pins(c.told, c.toldInverted);
  if (matches) {
    EXPECT_EQ(s.image, SimulatedSampleImage());
  } else {
    // A wrong assignment reads no chip at all: every bit alike, never a plausible image.
    EXPECT_TRUE(s.image == PromImage{} || s.image == AllOnes()) << result.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Wirings, RewiredBoard,
    ::testing::Values(
        RewiredCase{"Rts", "clock=D2,reset=D3,data=D6", false, "clock=RTS,reset=CTS,data=DCD", false},
        RewiredCase{"Inverted", "clock=D2,reset=D3,data=D6", true, "clock=D2,reset=D3,data=D6", true},
        RewiredCase{"DefaultOnRts", "clock=D2,reset=D3,data=D6", false, "clock=D0,reset=D1,data=D4", false},
        RewiredCase{"DataOnClock", "clock=D2,reset=D3,data=D6", false, "clock=D0,reset=D3,data=D2", false},
        RewiredCase{"ClockAndResetCrossed", "clock=D2,reset=D3,data=D6", false, "clock=D3,reset=D2,data=D6", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PinAssignment, ARewiredReadMakesTheDefaultReadsPinTrafficOnItsOwnPins) {
  ConnectedSimulation s(Board("clock=D2,reset=D3,data=D6"), Pins("clock=D2,reset=D3,data=D6"));
  s.Read();
  ASSERT_EQ(s.sim.WrittenBytes().size(), 386u);
  EXPECT_EQ(s.sim.WrittenBytes()[0], 0x0C);
  EXPECT_EQ(s.sim.WrittenBytes()[1], 0x04);
  EXPECT_EQ(s.sim.PinReads(), 256);
}

TEST(PinAssignment, AChipWithoutAnAssignedPinIsRefusedBeforeItIsOpened) {
  SimulatedProgrammer sim;
  sim.SetOptions(Board("clock=D0,reset=D1,data=D3", false, FtdiChip::FT230X));
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "QSIM0001 - FT230X (Simulated RP5H01 programmer)");
  FT_HANDLE handle = nullptr;
  const ConnectResult refused = ConnectProgrammer(sim, entries[0], handle);
  EXPECT_TRUE(refused.pinsMissing);
  EXPECT_NE(refused.error.find("FT230X has the bit-bang pins D0-D3 only"), std::string::npos)
      << refused.error;
  EXPECT_NE(refused.error.find("uses D4"), std::string::npos) << refused.error;
  EXPECT_TRUE(sim.OpenCalls().empty());
  EXPECT_TRUE(ConnectProgrammer(sim, entries[0], handle, Pins("clock=D0,reset=D1,data=D3")).ok);
}

TEST(PinAssignment, EachPortOfAMultiPortChipIsListedAndReads) {
  ConnectedSimulation s(Board("clock=D0,reset=D1,data=D2", false, FtdiChip::FT2232H),
                        Pins("clock=D0,reset=D1,data=D2"));
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(s.sim);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].text, "QSIM0001B - FT2232H (Simulated RP5H01 programmer B)");
  ASSERT_TRUE(ConnectProgrammer(s.sim, entries[1], s.handle, s.pins).ok);
  s.Read();
  EXPECT_EQ(s.image, SimulatedSampleImage());
}

}  // namespace
}  // namespace quarrow::test
