// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341 DLL's chips as programmers, over a DLL that numbers the chips it is given and notes
// every call made to it: what only this layer decides. Reads, a chip pulled out and a missing DLL
// go through the real loader and the stand-in DLL under Wine (tests/cli/CliCh341DllTest.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "Ch341DllLibrary.h"
#include "PromBoard.h"
#include "LinkTestSupport.h"
#include "ProgrammerPins.h"

namespace quarrow::test {
namespace {

struct FakeCh341Dll : ICh341Dll {
  std::vector<std::string> names = std::vector<std::string>(kCh341MostDevices);  // empty: no chip
  PromBoard board{SimulatedSampleImage(), {}, kCh341aDrivenPins};
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

}  // namespace
}  // namespace quarrow::test
