// SPDX-License-Identifier: GPL-3.0-or-later
// The device list and Connect over the simulated programmer, and the connection's pin port.
#include <gtest/gtest.h>

#include "ConnectionText.h"
#include "ProgrammerErrorText.h"
#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

void UseDevices(SimulatedProgrammer& sim, std::vector<SimulatedDevice> devices) {
  SimulatedOptions options;
  options.devices = std::move(devices);
  sim.SetOptions(options);
}

std::vector<std::string> Texts(const std::vector<DeviceEntry>& entries) {
  std::vector<std::string> texts;
  for (const auto& e : entries) texts.push_back(e.text + " #" + std::to_string(e.index));
  return texts;
}

TEST(EnumerateProgrammers, SortsCaseInsensitivelyNamingChipsOtherThanTheFt232r) {
  SimulatedProgrammer sim;
  EXPECT_EQ(Texts(EnumerateProgrammers(sim)),
            std::vector<std::string>{"QSIM0001 - Simulated RP5H01 programmer #0"});

  UseDevices(sim, {{"B0000002", "Board"}, {"a0000009", "Single RS232-HS", FtdiChip::FT232H},
                   {"a0000001", "board"}, {"A0000001", "board"},
                   {"C0000003A", "Dual RS232-HS A", FtdiChip::FT2232H},
                   {"E0000005", "FT231X USB UART", FtdiChip::FT231X}});
  const auto entries = EnumerateProgrammers(sim);
  // The numbers are places in the library's list.
  EXPECT_EQ(Texts(entries),
            (std::vector<std::string>{"A0000001 - board #3", "a0000001 - board #2",
                                      "a0000009 - FT232H (Single RS232-HS) #1",
                                      "B0000002 - Board #0",
                                      "C0000003A - FT2232H (Dual RS232-HS A) #4",
                                      "E0000005 - FT231X (FT231X USB UART) #5"}));
  EXPECT_EQ(entries[4].pinNames.at(2), "ADBUS2");
  EXPECT_EQ(entries[2].chip, FtdiChip::FT232H);

  UseDevices(sim, {});
  EXPECT_TRUE(EnumerateProgrammers(sim).empty());
  sim.SetOptions({.unplugged = true});
  EXPECT_TRUE(EnumerateProgrammers(sim).empty());
}

TEST(EnumerateProgrammers, ListsAHundredDevicesInOrder) {
  std::vector<SimulatedDevice> devices;
  for (int i = 99; i >= 0; --i) devices.push_back({"Q" + std::to_string(1000 + i), "B"});
  SimulatedProgrammer sim;
  UseDevices(sim, devices);
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(entries[i].serial, "Q" + std::to_string(1000 + i));
}

TEST(ConnectProgrammer, OpensTheEntrysOwnProgrammerWithTheAssignmentsOutputs) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  UseDevices(sim, {{"AB", "Short"}, {"LONGSERIAL12345", "Long"}, {"", "None"}});
  const auto entries = EnumerateProgrammers(record);  // " - None", "AB - Short", "LONGSERIAL12345 - Long"
  std::unique_ptr<IOpenProgrammer> handle;
  ASSERT_TRUE(ConnectProgrammer(record, entries[2], handle).ok);
  EXPECT_EQ(sim.OpenPlaces(), std::vector<int>{1});
  EXPECT_EQ(record.OutputMasks(), std::vector<std::uint8_t>{0x03});  // clock and reset only

  // A short serial opens its own programmer; one without a serial is opened by its place.
  ASSERT_TRUE(ConnectProgrammer(record, entries[1], handle).ok);
  EXPECT_EQ(sim.OpenPlaces(), std::vector<int>{0});
  ASSERT_TRUE(ConnectProgrammer(record, entries[0], handle).ok);
  EXPECT_EQ(sim.OpenPlaces(), std::vector<int>{2});
  const auto opens = record.Opens();
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[0].serial, "LONGSERIAL12345");
  EXPECT_EQ(opens[1].serial, "AB");
  EXPECT_EQ(opens[2].serial, "");
  EXPECT_EQ(opens[2].index, 2);
}

TEST(ConnectProgrammer, AFailedOpenKeepsTheEarlierConnectionAndSaysWhy) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  IProgrammerLibrary& library = record;
  std::unique_ptr<IOpenProgrammer> handle;
  EXPECT_FALSE(ConnectProgrammer(library, EntryForSerial(""), handle).ok);
  // The library would read this serial only up to its zero, and open the simulated programmer.
  const std::string cutShort = std::string(kSimulatedSerial) + '\0' + "2";
  EXPECT_FALSE(ConnectProgrammer(library, EntryForSerial(cutShort), handle).ok);
  EXPECT_TRUE(record.Opens().empty());
  ASSERT_TRUE(ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle).ok);
  const IOpenProgrammer* earlier = handle.get();
  record.ClearRecord();

  sim.SetOptions({.failOpen = true});
  ConnectResult result = ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.error.Failed());
  EXPECT_EQ(handle.get(), earlier);
  EXPECT_TRUE(record.OutputMasks().empty());

  sim.SetOptions({});
  result = ConnectProgrammer(library, EntryForSerial("NOSUCH01"), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(ConnectFailureText(result).find("NOSUCH01"), std::string::npos) << ConnectFailureText(result);
  EXPECT_EQ(handle.get(), earlier);
}

// What Connect refused or which call failed comes back as a value; the library's own account passes
// through, and where it gave none the call and its status are said.
TEST(ConnectProgrammer, AFailureIsAValueSaidWithTheLibrarysWordsOrTheCallAndItsStatus) {
  SimulatedProgrammer sim;
  IProgrammerLibrary& library = sim;
  std::unique_ptr<IOpenProgrammer> handle;
  const ConnectResult noSerial = ConnectProgrammer(library, EntryForSerial(""), handle);
  EXPECT_EQ(noSerial.failure, ConnectResult::Failure::NoSerial);
  EXPECT_EQ(ConnectFailureText(noSerial),
            "No serial number given; choose a programmer from the list or type its serial number");
  sim.SetOptions({.unplugged = true});
  const ConnectResult unplugged = ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle);
  EXPECT_EQ(unplugged.failure, ConnectResult::Failure::OpenFailed);
  EXPECT_EQ(unplugged.fault, ProgrammerFault::NotFound);
  EXPECT_EQ(ConnectFailureText(unplugged),
            "simulated programmer: the programmer was unplugged; plug it in and connect again");

  ConnectResult silent = unplugged;
  silent.call = "FT_OpenEx(\"A1\")";
  silent.status = 2;
  silent.error = {};
  EXPECT_EQ(ConnectFailureText(silent), silent.call + " failed with status 2 (device not found)");
  ConnectResult setUp;
  setUp.failure = ConnectResult::Failure::SetupFailed;
  setUp.call = "FT_SetBitMode";
  setUp.fault = ProgrammerFault::Io;
  setUp.status = 4;
  setUp.error.problem = ProgrammerProblem::Unplugged;
  setUp.error.source = "libftdi";
  setUp.error.words = "LIBUSB_ERROR_NO_DEVICE";
  EXPECT_EQ(ConnectFailureText(setUp),
            "Setting up the programmer failed: FT_SetBitMode returned status 4 (I/O error) - libftdi: the "
            "programmer was unplugged; plug it in and connect again: LIBUSB_ERROR_NO_DEVICE");
}

TEST(Connection, ItsPortFollowsTheConnectedProgrammerAndKeepsTheValueOnFailure) {
  SimulatedProgrammer sim(AllOnes());
  Connection connection(sim);
  IPinPort& port = connection.Port();
  std::uint8_t value = 0x5A;
  EXPECT_FALSE(port.WritePins(0x01));  // not connected yet
  EXPECT_FALSE(port.ReadPins(value));
  EXPECT_EQ(value, 0x5A);

  ASSERT_TRUE(connection.Connect(EntryForSerial(kSimulatedSerial), {}).ok);
  EXPECT_TRUE(port.WritePins(0x01));
  EXPECT_TRUE(port.ReadPins(value));
  EXPECT_EQ(value, 0xFD);  // D0 and D1 as written, D4 from the chip, the other inputs floating high

  sim.SetOptions({.unplugged = true});
  value = 0x5A;
  EXPECT_FALSE(port.WritePins(0x00));
  EXPECT_FALSE(port.ReadPins(value));
  EXPECT_EQ(value, 0x5A);
}

TEST(Connection, ASelfTestWhosePinsCannotBeSetUpTriesNothingAndSaysSo) {
  SimulatedProgrammer sim;
  sim.SetOptions({.family = SimulatedFamily::Ch341a});
  RecordingProgrammer record(sim);
  Connection connection(record);
  ASSERT_TRUE(connection.Connect(EntryForSerial(kSimulatedCh341aPlace), {}).ok);
  // The chip refuses to drive D6: the wiring tried was never set up, so no finding may be about it.
  PinAssignment onD6;
  onD6.clock = 6;
  const WiringSelfTestResult result = connection.SelfTest(onD6, nullptr, [](int) {});
  ASSERT_EQ(result.findings.size(), 1u);
  EXPECT_EQ(result.findings[0].finding, WiringFinding::PinOperationsFailed);
  EXPECT_EQ(record.PinWrites(), 0);
}

}  // namespace
}  // namespace quarrow::test
