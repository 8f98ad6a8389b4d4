// SPDX-License-Identifier: GPL-3.0-or-later
// The GPIO back end over the real libgpiod, against GPIO chips emulated at the kernel's ioctl
// interface: a Raspberry-Pi-like chip with named lines and an RP5H01 on three of them, a chip
// whose lines have no usable names, a line another program holds, a chip that goes mid-read.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "FakeGpioKernel.h"
#include "LinkTestSupport.h"
#include "ProgrammerErrorText.h"
#include "gpio/GpioLibrary.h"

namespace quarrow {
namespace {

using test::FakeGpioKernel;
using test::GpioChipSpec;

// The lines D0, D1, D2 stand for when the tool opens the chip: clock, reset, data.
const PinAssignment kWiring = test::Pins("clock=D0,reset=D1,data=D2");

GpioChipSpec RaspberryPi() { return test::RaspberryPiWithProm(SimulatedSampleImage()); }

// Clock, reset and data on GPIO17, GPIO27 and GPIO22, as D0, D1, D2.
ProgrammerChoice PromLines() {
  ProgrammerChoice choice = ProgrammerChoice::BySerial("gpiochip0");
  choice.lines = {17, 27, 22};
  return choice;
}

TEST(GpioListing, ListsEachChipWithItsLinesByTheBoardsNamesOrChipAndOffset) {
  FakeGpioKernel kernel;
  kernel.Add(RaspberryPi());
  GpioChipSpec expander;
  expander.label = "pca9555";
  // Unnamed, named twice, named with the assignment's own separators, and one usable name.
  expander.lineNames = {"", "NC", "NC", "LED,1", "RELAY"};
  kernel.Add(expander);

  GpioLibrary library;
  const std::vector<FoundProgrammer> found = library.List();
  EXPECT_FALSE(library.LastError().Failed());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].family, "GPIO");
  EXPECT_EQ(found[0].serial, "gpiochip0");
  EXPECT_EQ(found[0].model, "pinctrl-bcm2711");
  ASSERT_EQ(found[0].pinNames.size(), 54u);
  EXPECT_EQ(found[0].pinNames[17], "GPIO17");
  EXPECT_EQ(found[1].serial, "gpiochip1");
  EXPECT_EQ(found[1].pinNames, (std::vector<std::string>{"gpiochip1:0", "gpiochip1:1", "gpiochip1:2",
                                                         "gpiochip1:3", "RELAY"}));
  EXPECT_EQ(EnumerateProgrammers(library).at(0).text, "gpiochip0 - pinctrl-bcm2711 (54 GPIO lines)");
  EXPECT_TRUE(kernel.Requested(0).empty());  // listing holds no line
}

// Only clock and reset may ever be driven: the data line meets the PROM's output.
TEST(GpioRead, ReadsTheWholePromByteExactOnTheChosenLinesDrivingOnlyClockAndReset) {
  FakeGpioKernel kernel;
  kernel.Add(RaspberryPi());
  GpioLibrary library;

  OpenedProgrammer opened = library.Open(PromLines(), kWiring.DirectionMask());
  ASSERT_TRUE(opened.programmer) << opened.failure.step << ": " << opened.failure.error.words;
  EXPECT_EQ(kernel.Requested(0), (std::set<int>{17, 22, 27}));

  test::RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, kWiring});
  EXPECT_EQ(done.outcome, ReadOutcome::Complete);
  EXPECT_EQ(done.image, SimulatedSampleImage());
  EXPECT_EQ(kernel.EverOutputs(0), (std::set<int>{17, 27}));
  EXPECT_FALSE(opened.programmer->LastError().Failed());

  opened.programmer.reset();
  EXPECT_TRUE(kernel.Requested(0).empty());  // given back as the programmer closes
}

// The self-test changes directions while connected; a line that stays an output keeps its level.
TEST(GpioPins, ChangingDirectionsKeepsTheLevelOfALineThatStaysAnOutput) {
  FakeGpioKernel kernel;
  kernel.Add(RaspberryPi());
  GpioLibrary library;
  OpenedProgrammer opened = library.Open(PromLines(), 0b011);
  ASSERT_TRUE(opened.programmer);
  ASSERT_TRUE(opened.programmer->WritePins(0b110));  // reset high; D2 is an input, its bit waits

  ASSERT_TRUE(opened.programmer->SetOutputs(0b110));
  EXPECT_TRUE(kernel.Level(0, 27));  // reset, still driven high
  EXPECT_TRUE(kernel.Level(0, 22));  // D2, now an output at the level written for it
  std::uint8_t levels = 0;
  ASSERT_TRUE(opened.programmer->ReadPins(levels));
  EXPECT_EQ(levels, 0b110);
}

TEST(GpioOpen, ALineAnotherProgramHoldsIsRefusedNamingTheLineAndItsHolder) {
  FakeGpioKernel kernel;
  GpioChipSpec pi = RaspberryPi();
  pi.heldBy[22] = "pigpio";
  kernel.Add(pi);
  GpioLibrary library;

  const OpenedProgrammer refused = library.Open(PromLines(), kWiring.DirectionMask());
  EXPECT_FALSE(refused.programmer);
  EXPECT_EQ(refused.failure.error.problem, ProgrammerProblem::InUse);
  EXPECT_EQ(refused.failure.step, "gpiod_line_request_bulk_input");
  EXPECT_EQ(ProgrammerErrorText(refused.failure.error),
            "libgpiod: GPIO line GPIO22 is held by \"pigpio\"; stop that program or free the line, or wire another line");
  EXPECT_TRUE(kernel.Requested(0).empty());  // clock and reset, taken first, are given back
}

TEST(GpioOpen, AChipThatMayNotBeOpenedOrIsNotThereIsNamed) {
  FakeGpioKernel kernel;
  GpioChipSpec locked = RaspberryPi();
  locked.mayOpen = false;
  kernel.Add(locked);
  GpioLibrary library;

  EXPECT_TRUE(library.List().empty());
  EXPECT_EQ(library.LastError().problem, ProgrammerProblem::PermissionDenied);
  EXPECT_NE(ProgrammerErrorText(library.LastError()).find("permission denied opening /dev/gpiochip0: add your user"),
            std::string::npos);

  // A typed serial is looked for among the chips, never opened as a path.
  const OpenedProgrammer absent = library.Open(ProgrammerChoice::BySerial("../gpiochip0"), 0b11);
  EXPECT_EQ(absent.failure.error.problem, ProgrammerProblem::NoSuchSerial);
  EXPECT_EQ(absent.failure.error.subject, "../gpiochip0");
}

TEST(GpioUnplug, AChipGoneMidReadFailsTheReadAsUnplugged) {
  FakeGpioKernel kernel;
  GpioChipSpec pi = RaspberryPi();
  pi.goneAtRead = 60;
  kernel.Add(pi);
  GpioLibrary library;
  OpenedProgrammer opened = library.Open(PromLines(), kWiring.DirectionMask());
  ASSERT_TRUE(opened.programmer);

  test::RecordingReceiver receiver;
  const ReadCompletion done = ReadProm({*opened.programmer, receiver, [](int) {}, nullptr, kWiring});
  EXPECT_EQ(done.outcome, ReadOutcome::Failed);
  const ProgrammerError error = opened.programmer->LastError();
  EXPECT_EQ(error.problem, ProgrammerProblem::Unplugged);
  EXPECT_EQ(error.source, "libgpiod");
  EXPECT_EQ(error.words, "No such device (gpiod_line_get_value_bulk: ENODEV)");
}

}  // namespace
}  // namespace quarrow
