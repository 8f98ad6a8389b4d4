// SPDX-License-Identifier: GPL-3.0-or-later
// The pins of programmers other than FTDI's: a CH341A's socket names and its input-only D6/D7, a
// GPIO chip's lines by name and as CHIP:OFFSET, and a GPIO chip read and checked through the
// compact port wiring its three lines are opened as.
#include <gtest/gtest.h>

#include "ConnectionText.h"
#include "LinkTestSupport.h"
#include "SelfTestText.h"
#include "VcdWriter.h"
#include "WiringFile.h"
#include "WiringText.h"

namespace quarrow::test {
namespace {

DeviceEntry Ch341a() {
  DeviceEntry entry = EntryForSerial("1-4");
  entry.family = kCh341aFamily;
  entry.model = "CH341A";
  entry.pinNames = Ch341aPinNames();
  entry.inputOnly = kCh341aInputOnly;
  return entry;
}

// A Raspberry Pi's header chip: 54 lines, GPIO0..GPIO53, line 5 without a name.
DeviceEntry Gpio() {
  DeviceEntry entry = EntryForSerial("gpiochip0");
  entry.family = kGpioFamily;
  entry.model = "pinctrl-bcm2835";
  for (int line = 0; line < 54; ++line) entry.pinNames.push_back(line == 5 ? "" : "GPIO" + std::to_string(line));
  return entry;
}

PinAssignment On(const DeviceEntry& entry, const char* text) {
  const PinAssignmentParse parse = ParsePinAssignment(text, PinsOf(entry));
  EXPECT_TRUE(parse.assignment) << text << ": " << PinAssignmentProblemText(parse.problem);
  return parse.assignment.value_or(PinAssignment{});
}

TEST(ProgrammerPins, ACh341aTakesItsSocketNamesAndItsDNumbers) {
  EXPECT_EQ(On(Ch341a(), "clock=CLK,reset=cs,data=MISO"), Pins("clock=D3,reset=D0,data=D7"));
  EXPECT_EQ(On(Ch341a(), "clock=D3,reset=D0,data=D7"), Pins("clock=D3,reset=D0,data=D7"));
  EXPECT_EQ(PinsOf(Ch341a()).NameOf(5), "D5/MOSI");
  const PinAssignmentParse unknown = ParsePinAssignment("clock=CLK,reset=CS,data=SDA", PinsOf(Ch341a()));
  EXPECT_NE(PinAssignmentProblemText(unknown.problem).find("(this programmer's pins are D0/CS D1 D2 D3/CLK"),
            std::string::npos);
}

TEST(ProgrammerPins, AGpioChipTakesItsLineNamesAndChipOffsetButNoDNumbers) {
  const PinAssignment named = On(Gpio(), "clock=GPIO17,reset=gpio27,data=GPIO22");
  EXPECT_EQ(named, On(Gpio(), "clock=gpiochip0:17,reset=gpiochip0:27,data=gpiochip0:22"));
  EXPECT_EQ(named.clock, 17);
  EXPECT_EQ(On(Gpio(), "clock=gpiochip0:5,reset=GPIO6,data=GPIO7").clock, 5) << "a line without a name";
  EXPECT_EQ(PinsOf(Gpio()).ShownText(named), "clock=GPIO17,reset=GPIO27,data=GPIO22");
  const PinAssignmentParse dNumber = ParsePinAssignment("clock=D0,reset=D1,data=D4", PinsOf(Gpio()));
  EXPECT_NE(PinAssignmentProblemText(dNumber.problem).find("its line names or gpiochip0:0..53"), std::string::npos);
  EXPECT_EQ(ParsePinAssignment("clock=gpiochip0:1,reset=gpiochip1:2,data=gpiochip0:3").problem.kind,
            PinAssignmentProblem::Kind::ChipsMixed);
}

TEST(ProgrammerPins, WhatAProgrammerCannotTakeIsRefusedBeforeAnyOpenSayingWhy) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  std::unique_ptr<IOpenProgrammer> opened;
  const std::pair<PinAssignment, const char*> cases[] = {
      {On(Ch341a(), "clock=D6,reset=D0,data=D7"),
       "D6 can only be read on a CH341A: clock and reset must be driven (give the clock line another pin)"},
      {On(Gpio(), "clock=GPIO17,reset=gpiochip0:54,data=GPIO22"),
       "the pinctrl-bcm2835 has the lines 0..53 only, but the reset line is given gpiochip0:54"},
      {Pins("clock=gpiochip1:1,reset=gpiochip1:2,data=gpiochip1:3"),
       "the pin assignment names lines of gpiochip1, but this programmer is gpiochip0"},
      // Lines 0 and 1 of a Raspberry Pi are its HAT EEPROM's bus: a header has no default wiring.
      {PinAssignment{}, "no wiring is set for gpiochip0 (pinctrl-bcm2835)"},
  };
  const DeviceEntry entries[] = {Ch341a(), Gpio(), Gpio(), Gpio()};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const ConnectResult result = ConnectProgrammer(record, entries[i], opened, cases[i].first);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(ConnectFailureText(result).find(cases[i].second), std::string::npos) << ConnectFailureText(result);
  }
  EXPECT_TRUE(record.Opens().empty());
  // The data line only reads: MISO suits it.
  EXPECT_FALSE(PinsOnProgrammer(PinsOf(Ch341a()), On(Ch341a(), "clock=CLK,reset=CS,data=MISO")));
}

// A GPIO chip posing over the simulated programmer: the three lines it is opened with are the
// simulated board's D0..D2, wired as `board` says.
class GpioStandIn final : public IProgrammerLibrary {
 public:
  explicit GpioStandIn(const SimulatedOptions& board) { sim_.SetOptions(board); }
  std::vector<FoundProgrammer> List() override {
    const DeviceEntry gpio = Gpio();
    return {{kGpioFamily, std::nullopt, gpio.model, gpio.serial, "", 0, gpio.pinNames, 0}};
  }
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override {
    return sim_.Open(ProgrammerChoice::BySerial(kSimulatedSerial), choice.lines.size() == 3 ? outputs : 0xFF);
  }
  ProgrammerError LastError() const override { return sim_.LastError(); }

 private:
  SimulatedProgrammer sim_;
};

struct GpioConnection {
  explicit GpioConnection(const char* board) : standIn(Board(board)) {}
  GpioStandIn standIn;
  RecordingProgrammer record{standIn};
  Connection connection{record};
  ConnectResult Connect(const char* pins) {
    const DeviceEntry entry = connection.List().at(0);
    return connection.Connect(entry, On(entry, pins));
  }
};

TEST(ProgrammerPins, AGpioChipIsOpenedWithItsThreeLinesAsTheCompactPortAndReadsTheChip) {
  GpioConnection gpio("clock=D0,reset=D1,data=D2");
  ASSERT_TRUE(gpio.Connect("clock=GPIO17,reset=GPIO27,data=GPIO22").ok);
  ASSERT_EQ(gpio.record.Opens().size(), 1u);
  EXPECT_EQ(gpio.record.Opens()[0].lines, (std::vector<int>{17, 27, 22}));
  EXPECT_EQ(gpio.record.Opens()[0].outputs, 0b011);
  EXPECT_EQ(gpio.connection.Pins().clock, 17) << "the wiring is kept as given";
  RecordingReceiver receiver;
  EXPECT_EQ(gpio.connection.Read(receiver, nullptr, nullptr, [](int) {}).outcome, ReadOutcome::Complete);
  EXPECT_EQ(receiver.image, SimulatedSampleImage());
  EXPECT_EQ(gpio.record.DrivenPins(), 0b011);
}

TEST(ProgrammerPins, TheSelfTestAndItsTraceNameAGpioChipsLines) {
  GpioConnection gpio("clock=D1,reset=D0,data=D2");
  ASSERT_TRUE(gpio.Connect("clock=GPIO17,reset=GPIO27,data=GPIO22").ok);
  PinTrace trace = gpio.connection.TraceFor(gpio.connection.Pins());
  const WiringSelfTestResult result = gpio.connection.SelfTest(gpio.connection.Pins(), &trace, [](int) {});
  EXPECT_EQ(WiringFindingText(result.findings.at(0), false).rfind("clock (GPIO17): ", 0), 0u);
  const std::string verdict = WiringVerdict(result, false);
  EXPECT_NE(verdict.find("GPIO22"), std::string::npos) << verdict;
  EXPECT_NE(verdict.find("--pins clock=GPIO27,reset=GPIO17,data=GPIO22"), std::string::npos) << verdict;
  EXPECT_NE(PinTraceVcd(trace, "").find("clock=GPIO17,reset=GPIO27,data=GPIO22"), std::string::npos);
}

}  // namespace
}  // namespace quarrow::test
