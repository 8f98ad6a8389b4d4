// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341 DLL's chips read as programmers, over a DLL that numbers the chips it is given, has an
// RP5H01 on the pins of its one board and notes every call made to it.
#include <gtest/gtest.h>

#include <algorithm>

#include "Ch341DllLibrary.h"
#include "Ch341aBoard.h"
#include "LinkTestSupport.h"
#include "ProgrammerPins.h"
#include "ProgrammerErrorText.h"

namespace quarrow::test {
namespace {

struct FakeCh341Dll : ICh341Dll {
  std::vector<std::string> names = std::vector<std::string>(kCh341MostDevices);  // empty: no chip
  Ch341aBoard board{SimulatedSampleImage(), {}};
  long long unplugAtClock = -1;  // pin reads fail once the PROM has been clocked this often
  ProgrammerError error;
  std::vector<std::string> calls;

  bool CH341OpenDevice(std::uint32_t index) override {
    calls.push_back("CH341OpenDevice(" + std::to_string(index) + ")");
    return !error.Failed() && !names.at(index).empty();
  }
  void CH341CloseDevice(std::uint32_t index) override {
    calls.push_back("CH341CloseDevice(" + std::to_string(index) + ")");
  }
  std::string CH341GetDeviceName(std::uint32_t index) override { return error.Failed() ? "" : names.at(index); }
  bool CH341Set_D5_D0(std::uint32_t index, std::uint8_t directions, std::uint8_t levels) override {
    calls.push_back("CH341Set_D5_D0(" + std::to_string(index) + ", " + std::to_string(directions) + ", " +
                    std::to_string(levels) + ")");
    board.Set(directions, levels);
    return true;
  }
  bool CH341GetInput(std::uint32_t, std::uint32_t* status) override {
    if (unplugAtClock >= 0 && board.Prom().ClocksSinceReset() >= unplugAtClock) {
      error = {ProgrammerProblem::Unplugged, "CH341DLLA64.DLL", kCh341aFamily, "", "CH341GetInput failed"};
      return false;
    }
    *status = 0xF00u | board.Pins();  // the chip's other pins above D7..D0
    return true;
  }
  ProgrammerError LastError() const override { return error; }

  bool Called(const std::string& call) const { return std::count(calls.begin(), calls.end(), call) > 0; }
};

// The name is what identifies a chip: it is opened under the number the DLL gives it now, which
// need not be the one it was listed under, nor its place in the list.
TEST(Ch341DllListing, ListsTheNumberedChipsByNameAndOpensEachUnderItsNumberNow) {
  FakeCh341Dll dll;
  dll.names[0] = R"(\\?\usb#vid_1a86&pid_5512#5&1&0&1)";
  dll.names[3] = R"(\\?\usb#vid_1a86&pid_5512#5&1&0&4)";
  Ch341DllLibrary library(dll);

  const std::vector<FoundProgrammer> found = library.List();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_FALSE(library.LastError().Failed());
  EXPECT_EQ(found[1].family, "CH341A");
  EXPECT_EQ(found[1].model, "CH341A");
  EXPECT_EQ(found[1].serial, dll.names[3]);
  EXPECT_EQ(found[1].inputOnly, 0xC0);
  EXPECT_EQ(found[1].pinNames, Ch341aPinNames());

  EXPECT_TRUE(library.Open(ProgrammerChoice::AtPlace(1), 0b11).programmer);
  EXPECT_TRUE(dll.Called("CH341OpenDevice(3)"));
  EXPECT_TRUE(dll.Called("CH341Set_D5_D0(3, 3, 0)"));
  EXPECT_TRUE(dll.Called("CH341CloseDevice(3)"));

  std::swap(dll.names[3], dll.names[5]);  // re-plugged: the driver numbers it anew
  EXPECT_TRUE(library.Open(ProgrammerChoice::BySerial(dll.names[5]), 0b11).programmer);
  EXPECT_TRUE(dll.Called("CH341OpenDevice(5)"));
  const OpenedProgrammer gone = library.Open(ProgrammerChoice::BySerial("elsewhere"), 0b11);
  EXPECT_EQ(gone.failure.error.problem, ProgrammerProblem::NoSuchSerial);
}

// Clock and reset away from D0/D1 and the data on D7, which only reads: a direction or level must
// not be lost when the other changes, since the DLL sets both in one call.
TEST(Ch341DllRead, ReadsTheWholePromByteExactOnAnotherWiring) {
  const PinAssignment wiring = Pins("clock=D3,reset=D5,data=D7");
  FakeCh341Dll dll;
  dll.names[0] = "ch341";
  dll.board = Ch341aBoard(SimulatedSampleImage(), wiring);
  Ch341DllLibrary library(dll);
  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("ch341"), wiring.DirectionMask());
  ASSERT_TRUE(opened.programmer) << opened.failure.step;
  EXPECT_EQ(dll.board.Directions(), 0b101000);

  RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, wiring});
  EXPECT_EQ(done.outcome, ReadOutcome::Complete);
  EXPECT_EQ(done.image, SimulatedSampleImage());
  EXPECT_EQ(dll.board.Directions(), 0b101000);
  EXPECT_FALSE(opened.programmer->LastError().Failed());
}

TEST(Ch341DllPins, RefusesToDriveTheInputOnlyPins) {
  FakeCh341Dll dll;
  dll.names[0] = "ch341";
  Ch341DllLibrary library(dll);

  // Refused before the chip is opened.
  const OpenedProgrammer refused = library.Open(ProgrammerChoice::BySerial("ch341"), 0b01000011);
  EXPECT_FALSE(refused.programmer);
  EXPECT_EQ(refused.failure.error.problem, ProgrammerProblem::InputOnlyPin);
  EXPECT_EQ(refused.failure.error.subject, "D6");
  EXPECT_TRUE(dll.calls.empty());

  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("ch341"), 0b11);
  ASSERT_TRUE(opened.programmer);
  EXPECT_FALSE(opened.programmer->SetOutputs(0b10000001));
  EXPECT_EQ(opened.programmer->LastError().subject, "D7");
  EXPECT_EQ(dll.board.Directions(), 0b11);  // as they were
}

TEST(Ch341DllUnplug, APinReadFailingMidReadFailsTheReadWithTheDllsReason) {
  FakeCh341Dll dll;
  dll.names[0] = "ch341";
  dll.unplugAtClock = 40;
  Ch341DllLibrary library(dll);
  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("ch341"), PinAssignment{}.DirectionMask());
  ASSERT_TRUE(opened.programmer);

  RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, {}});
  EXPECT_EQ(done.outcome, ReadOutcome::Failed);
  EXPECT_EQ(opened.programmer->LastError().problem, ProgrammerProblem::Unplugged);
  EXPECT_EQ(opened.programmer->LastError().words, "CH341GetInput failed");
}

// Without WCH's DLL nothing is listed, and both a list and an open say which driver to install.
TEST(Ch341DllMissing, TheListAndAnOpenNameWchsDriver) {
  FakeCh341Dll dll;
  dll.names[0] = "ch341";
  dll.error = {ProgrammerProblem::DriverMissing, "", kCh341aFamily, "CH341DLLA64.DLL", "not found"};
  Ch341DllLibrary library(dll);

  EXPECT_TRUE(library.List().empty());
  EXPECT_EQ(library.LastError().problem, ProgrammerProblem::DriverMissing);
  const OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("ch341"), 0b11);
  EXPECT_EQ(opened.failure.error.problem, ProgrammerProblem::DriverMissing);
  const std::string text = ProgrammerErrorText(opened.failure.error);
  EXPECT_NE(text.find("CH341DLLA64.DLL could not be loaded (not found): install WCH's CH341PAR driver (CH341PAR.EXE"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace quarrow::test
