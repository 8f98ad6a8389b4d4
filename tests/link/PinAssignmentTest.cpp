// SPDX-License-Identifier: GPL-3.0-or-later
// Pin assignments: their text form, the direction mask, reading boards wired other ways, and chips
// with fewer bit-bang pins.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "LinkTestSupport.h"
#include "WiringText.h"

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
    const std::string said = PinAssignmentProblemText(parse.problem);
    EXPECT_NE(said.find(why), std::string::npos) << text << ": " << said;
  }
  // A pasted page of text is quoted as a table field would be, cut short.
  const std::string flood = "clock=D0,reset=D1,data=" + std::string(100000, 'x');
  const std::string said = PinAssignmentProblemText(ParsePinAssignment(flood).problem);
  EXPECT_NE(said.find("\"" + std::string(48, 'x') + "...\" for the data line"), std::string::npos);
  EXPECT_LT(said.size(), 200u);
}

TEST(PinAssignment, DrivesOnlyClockAndResetOnEveryWiringTheDefaultIncluded) {
  EXPECT_EQ(PinAssignment{}.DirectionMask(), 0x03);
  EXPECT_EQ(Pins("clock=D2,reset=D3,data=D6").DirectionMask(), 0x0C);
}

TEST(PinAssignment, ReadsThePinNamesPrintedOnTheBoardsOfEachPort) {
  EXPECT_EQ(Pins("clock=AD0,reset=adbus1,data=AD4"), PinAssignment{});
  EXPECT_EQ(Pins("clock=AD0,reset=AD1,data=AD4").namedPort, 0);
  const PinAssignment portD = Pins("clock=DDBUS2,reset=dd3,data=DDBUS6");
  EXPECT_EQ(portD, Pins("clock=D2,reset=D3,data=D6"));
  EXPECT_EQ(portD.namedPort, 3);
  EXPECT_EQ(Pins("clock=BD0,reset=D1,data=CTS").namedPort, 1);
  for (const char* wrong : {"clock=AD0,reset=BD1,data=D4", "clock=ED0,reset=D1,data=D4", "clock=ADBUS8,reset=D1,data=D4"}) {
    EXPECT_FALSE(ParsePinAssignment(wrong).assignment) << wrong;
  }
  EXPECT_NE(PinAssignmentProblemText(ParsePinAssignment("clock=AD0,reset=BD1,data=D4").problem)
                .find("\"BD1\" is a pin of port B"),
            std::string::npos);
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
  const ReadCompletion result = s.Read();
  EXPECT_EQ(result.outcome, ReadOutcome::Complete);
  const bool matches = Pins(c.board, c.boardInverts) == Pins(c.told, c.toldInverted);
  if (matches) {
    EXPECT_EQ(s.image, SimulatedSampleImage());
  } else {
    // A wrong assignment reads no chip at all: every bit alike, never a plausible image.
    EXPECT_TRUE(s.image == PromImage{} || s.image == AllOnes()) << FormatImageText(result.image);
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
  ASSERT_EQ(s.record.WrittenBytes().size(), 386u);
  EXPECT_EQ(s.record.WrittenBytes()[0], 0x0C);
  EXPECT_EQ(s.record.WrittenBytes()[1], 0x04);
  EXPECT_EQ(s.record.PinReads(), 256);
}

TEST(PinAssignment, AChipWithoutAnAssignedPinIsRefusedBeforeItIsOpened) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  IProgrammerLibrary& library = record;
  sim.SetOptions(Board("clock=D0,reset=D1,data=D3", false, FtdiChip::FT230X));
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(library);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "QSIM0001 - FT230X (Simulated RP5H01 programmer)");
  std::unique_ptr<IOpenProgrammer> handle;
  const ConnectResult refused = ConnectProgrammer(library, entries[0], handle);
  ASSERT_TRUE(refused.pinsMissing);
  const std::string said = PinsOnChipText(*refused.pinsMissing);
  EXPECT_NE(said.find("FT230X has the bit-bang pins D0-D3 only"), std::string::npos) << said;
  EXPECT_NE(said.find("uses D4"), std::string::npos) << said;
  EXPECT_TRUE(record.Opens().empty());
  EXPECT_TRUE(ConnectProgrammer(library, entries[0], handle, Pins("clock=D0,reset=D1,data=D3")).ok);
}

TEST(PinAssignment, EachPortOfAMultiPortChipIsListedAndReadsByItsOwnPinNamesOnly) {
  ConnectedSimulation s(Board("clock=D0,reset=D1,data=D2", false, FtdiChip::FT2232H),
                        Pins("clock=BDBUS0,reset=BDBUS1,data=BDBUS2"));
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(s.library);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].text, "QSIM0001B - FT2232H (Simulated RP5H01 programmer B)");
  EXPECT_EQ(entries[1].port, 1);
  ASSERT_TRUE(s.connection.Connect(entries[1], s.pins).ok);
  s.Read();
  EXPECT_EQ(s.image, SimulatedSampleImage());

  // Port B's names on port A, and any port's on an FT232R, are refused naming the port they belong to.
  std::unique_ptr<IOpenProgrammer> other;
  const ConnectResult portA = ConnectProgrammer(s.library, entries[0], other, s.pins);
  ASSERT_TRUE(portA.pinsMissing);
  const std::string portAText = PinsOnChipText(*portA.pinsMissing);
  EXPECT_NE(portAText.find("names pins of port B"), std::string::npos) << portAText;
  EXPECT_NE(portAText.find("this programmer is port A of the FT2232H"), std::string::npos) << portAText;
  SimulatedProgrammer ft232r;
  RecordingProgrammer record(ft232r);
  IProgrammerLibrary& library = record;
  const ConnectResult noPorts =
      ConnectProgrammer(library, EnumerateProgrammers(library).at(0), other, Pins("clock=AD0,reset=AD1,data=AD4"));
  ASSERT_TRUE(noPorts.pinsMissing);
  const std::string noPortsText = PinsOnChipText(*noPorts.pinsMissing);
  EXPECT_NE(noPortsText.find("the FT232R has no lettered ports"), std::string::npos) << noPortsText;
  EXPECT_TRUE(record.Opens().empty());
}

// The port names of a port the chip does not have are told apart from another port's, and said
// with the names this port takes.
TEST(PinAssignment, NamesOfAPortTheChipLacksAreRefusedNamingThePortsItHas) {
  const std::optional<PinsOnChipProblem> noPortB = PinsOnChip(FtdiChip::FT232H, Pins("clock=BD0,reset=BD1,data=BD2"));
  ASSERT_TRUE(noPortB);
  EXPECT_EQ(noPortB->naming, PortNaming::NoSuchPort);
  EXPECT_EQ(PinsOnChipText(*noPortB),
            "the pin assignment names pins of port B (BDBUS0..BDBUS7, BD0..BD7), but the FT232H has no port B; "
            "this programmer is its port A: give its pins as ADBUS0..ADBUS7 or D0..D7");
  EXPECT_FALSE(PinsOnChip(FtdiChip::FT232H, Pins("clock=AD0,reset=AD1,data=AD2")));
}

// Every pin name the README and its wiring picture print is one --pins takes.
TEST(WiringGuide, PinNamesAreAcceptedByPins) {
  auto text = [](const char* path) {
    std::ifstream in(std::string(QUARROW_SOURCE_DIR) + "/" + path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string svg = text("docs/wiring.svg");
  const std::regex ftdiPin("class=\"pin right ftdipin\">([^<]*)<");
  int names = 0;
  for (std::sregex_iterator it(svg.begin(), svg.end(), ftdiPin), end; it != end; ++it) {
    std::istringstream words((*it)[1].str());
    for (std::string word; words >> word; ++names) EXPECT_TRUE(ParseBoardPinName(word)) << word;
  }
  EXPECT_EQ(names, 4 * 3 * 2);  // four boards, three lines, a board name and a number each
  const std::string readme = text("README.md");
  const std::regex assignment("clock=\\w+,reset=\\w+,data=\\w+");
  DeviceEntry ch341aEntry;
  ch341aEntry.family = kCh341aFamily;
  ch341aEntry.pinNames = Ch341aPinNames();
  const ProgrammerPins ch341a = PinsOf(ch341aEntry);
  int assignments = 0;
  for (std::sregex_iterator it(readme.begin(), readme.end(), assignment), end; it != end; ++it) {
    if (it->str() == "clock=PIN,reset=PIN,data=PIN") continue;  // the form, not an assignment
    // A CH341A's socket names are its own.
    EXPECT_TRUE(ParsePinAssignment(it->str()).assignment || ParsePinAssignment(it->str(), ch341a).assignment)
        << it->str();
    ++assignments;
  }
  EXPECT_GE(assignments, 4);
}

}  // namespace
}  // namespace quarrow::test
