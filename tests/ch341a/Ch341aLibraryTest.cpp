// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341A back end over the real libusb, against CH341As mocked at the usbfs level with an RP5H01
// on their pins: listing, opening, a whole read, the wiring self-test, the pins the chip cannot
// drive, a programmer pulled out mid-read and one held by another program.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FakeCh341a.h"
#include "LinkTestSupport.h"
#include "ProgrammerErrorText.h"
#include "SelfTest.h"
#include "ch341a/Ch341aLibrary.h"

namespace quarrow {
namespace {

using test::Ch341aSpec;
using test::FakeCh341a;
using test::MockUsbBus;
using test::PlugCh341a;

TEST(Ch341aListing, ListsEachChipByItsBusPositionWithoutClaimingIt) {
  MockUsbBus bus;
  FakeCh341a& first = PlugCh341a(bus);
  Ch341aSpec plain;
  plain.product.clear();
  FakeCh341a& second = PlugCh341a(bus, plain);

  Ch341aLibrary library;
  std::vector<FoundProgrammer> found = library.List();
  EXPECT_FALSE(library.LastError().Failed());
  ASSERT_EQ(found.size(), 2u);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.serial < b.serial; });
  EXPECT_EQ(found[0].family, "CH341A");
  EXPECT_FALSE(found[0].chip);
  EXPECT_EQ(found[0].serial, "1-1");
  EXPECT_EQ(found[0].description, "USB UART-LPT");
  EXPECT_EQ(found[0].pinNames,
            (std::vector<std::string>{"D0/CS", "D1", "D2", "D3/CLK", "D4", "D5/MOSI", "D6", "D7/MISO"}));
  EXPECT_EQ(found[1].serial, "1-2");
  EXPECT_EQ(found[1].description, "CH341A");  // no product string of its own
  EXPECT_EQ(first.Claims() + second.Claims(), 0);
}

// Clock and reset away from D0/D1 and the data on D7, which only reads: the stream commands must
// carry every pin to its place, and the chip must never be sent a packet it would ignore.
struct Ch341aOnAnotherWiring : ::testing::Test {
  MockUsbBus bus;
  Ch341aSpec spec = [] {
    Ch341aSpec sample;
    sample.chip = SimulatedSampleImage();
    sample.wiring = test::Pins("clock=D3,reset=D5,data=D7");
    return sample;
  }();
  FakeCh341a& device = PlugCh341a(bus, spec);
  Ch341aLibrary library;
  OpenedProgrammer opened;

  void SetUp() override {
    ASSERT_EQ(library.List().size(), 1u);
    opened = library.Open(ProgrammerChoice::AtPlace(0), spec.wiring.DirectionMask());
    ASSERT_TRUE(opened.programmer) << opened.failure.step << ": " << opened.failure.error.words;
  }
  void TearDown() override { EXPECT_EQ(device.IgnoredPackets(), 0); }
};

TEST_F(Ch341aOnAnotherWiring, ReadsTheWholePromByteExact) {
  EXPECT_EQ(device.Directions(), 0b101000);
  test::RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, spec.wiring});
  EXPECT_EQ(done.outcome, ReadOutcome::Complete);
  EXPECT_EQ(done.image, SimulatedSampleImage());
  EXPECT_FALSE(opened.programmer->LastError().Failed());
}

// The self-test holds its read inside each clock pulse for the write that ends the pulse: the
// stream must read before it writes, or the clock would show high in the pulse and seem stuck.
TEST_F(Ch341aOnAnotherWiring, TheSelfTestFindsTheChipThroughReadsCarriedWithTheWrites) {
  const WiringSelfTestResult result = RunWiringSelfTest(*opened.programmer, spec.wiring, [](int) {});
  EXPECT_TRUE(result.plausible);
  EXPECT_EQ(result.findings.at(2).finding, WiringFinding::DataLikeAChip);
}

TEST(Ch341aPins, RefusesToDriveTheInputOnlyPins) {
  MockUsbBus bus;
  FakeCh341a& device = PlugCh341a(bus);
  Ch341aLibrary library;
  const std::string position = library.List().at(0).serial;

  // Refused before the chip is touched.
  OpenedProgrammer refused = library.Open(ProgrammerChoice::BySerial(position), 0b01000011);
  EXPECT_FALSE(refused.programmer);
  EXPECT_EQ(refused.failure.error.problem, ProgrammerProblem::InputOnlyPin);
  EXPECT_EQ(refused.failure.error.subject, "D6");
  EXPECT_NE(ProgrammerErrorText(refused.failure.error).find("pin D6 of this programmer can only read"),
            std::string::npos);
  EXPECT_EQ(device.Claims(), 0);

  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial(position), 0b11);
  ASSERT_TRUE(opened.programmer);
  EXPECT_FALSE(opened.programmer->SetOutputs(0b10000001));
  EXPECT_EQ(opened.programmer->LastError().problem, ProgrammerProblem::InputOnlyPin);
  EXPECT_EQ(opened.programmer->LastError().subject, "D7");
  EXPECT_EQ(device.Directions(), 0b11);  // as they were
}

TEST(Ch341aUnplug, AChipPulledOutMidReadFailsTheReadAsUnplugged) {
  MockUsbBus bus;
  Ch341aSpec spec;
  spec.chip = SimulatedSampleImage();
  spec.unplugAtRead = 40;
  PlugCh341a(bus, spec);
  Ch341aLibrary library;
  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("1-1"), PinAssignment{}.DirectionMask());
  ASSERT_TRUE(opened.programmer);

  test::RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, {}});
  EXPECT_EQ(done.outcome, ReadOutcome::Failed);
  const ProgrammerError error = opened.programmer->LastError();
  EXPECT_EQ(error.problem, ProgrammerProblem::Unplugged);
  EXPECT_EQ(error.source, "libusb");
  EXPECT_NE(error.words.find("LIBUSB_ERROR_NO_DEVICE"), std::string::npos) << error.words;
}

TEST(Ch341aOpen, AChipHeldByAnotherProgramIsInUseAndAnUnknownPositionIsNamed) {
  MockUsbBus bus;
  PlugCh341a(bus).SetBusy(true);
  Ch341aLibrary library;

  const OpenedProgrammer busy = library.Open(ProgrammerChoice::BySerial("1-1"), 0b11);
  EXPECT_FALSE(busy.programmer);
  EXPECT_EQ(busy.failure.error.problem, ProgrammerProblem::InUse);
  EXPECT_EQ(busy.failure.step, "libusb_claim_interface");
  EXPECT_EQ(library.LastError().problem, ProgrammerProblem::InUse);

  const OpenedProgrammer absent = library.Open(ProgrammerChoice::BySerial("3-1.4"), 0b11);
  EXPECT_EQ(absent.failure.error.problem, ProgrammerProblem::NoSuchSerial);
  EXPECT_EQ(absent.failure.error.subject, "3-1.4");
}

}  // namespace
}  // namespace quarrow
