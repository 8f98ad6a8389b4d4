// SPDX-License-Identifier: GPL-3.0-or-later
// The device list and Connect over D2XX records (the simulated programmer's), and the connection's pin port.
#include <gtest/gtest.h>

#include <cstring>

#include "ConnectionText.h"
#include "ProgrammerErrorText.h"
#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

FT_DEVICE_LIST_INFO_NODE Record(const char* serial, const char* description,
                                std::uint32_t type = FT_DEVICE_232R) {
  return SimulatedDeviceRecord(serial, description, type);
}

void UseDevices(SimulatedProgrammer& sim, std::vector<FT_DEVICE_LIST_INFO_NODE> devices) {
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
  D2xxLibrary library(sim);
  EXPECT_EQ(Texts(EnumerateProgrammers(library)),
            std::vector<std::string>{"QSIM0001 - Simulated RP5H01 programmer #0"});

  // Type 0 (FT232BM) and 3 (unknown) have no asynchronous bit-bang the tool can use.
  UseDevices(sim, {Record("B0000002", "Board"), Record("a0000009", "Single RS232-HS", 8),
                   Record("a0000001", "board"), Record("A0000001", "board"),
                   Record("C0000003A", "Dual RS232-HS A", 6), Record("D0000004", "Old", 0),
                   Record("E0000005", "FT231X USB UART", 9), Record("F0000006", "?", 3)});
  const auto entries = EnumerateProgrammers(library);
  // The numbers are places in the library's list, which leaves out the chips without bit-bang.
  EXPECT_EQ(Texts(entries),
            (std::vector<std::string>{"A0000001 - board #3", "a0000001 - board #2",
                                      "a0000009 - FT232H (Single RS232-HS) #1",
                                      "B0000002 - Board #0",
                                      "C0000003A - FT2232H (Dual RS232-HS A) #4",
                                      "E0000005 - FT231X (FT231X USB UART) #5"}));
  EXPECT_EQ(entries[4].pinNames.at(2), "ADBUS2");
  EXPECT_EQ(entries[2].chip, FtdiChip::FT232H);
}

// A library whose enumeration fails but leaves a count behind.
struct FailingEnumeration : SimulatedProgrammer {
  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override {
    SimulatedProgrammer::FT_CreateDeviceInfoList(count);
    return FT_IO_ERROR;
  }
};

TEST(EnumerateProgrammers, ListsNothingWithoutBitBangChipsOrWhenEnumerationFails) {
  SimulatedProgrammer sim;
  D2xxLibrary library(sim);
  UseDevices(sim, {Record("X1", "FT232BM", 0), Record("X2", "?", 3)});
  EXPECT_TRUE(EnumerateProgrammers(library).empty());
  UseDevices(sim, {});
  EXPECT_TRUE(EnumerateProgrammers(library).empty());
  sim.SetOptions({.unplugged = true});
  EXPECT_TRUE(EnumerateProgrammers(library).empty());
  FailingEnumeration failing;
  D2xxLibrary failingLibrary(failing);
  EXPECT_TRUE(EnumerateProgrammers(failingLibrary).empty());
}

TEST(EnumerateProgrammers, ListsSerialsWholeAndReadsUnterminatedFieldsOnlyToTheirEnd) {
  FT_DEVICE_LIST_INFO_NODE hostile = Record("", "");
  std::memset(hostile.SerialNumber, 'S', sizeof hostile.SerialNumber);
  std::memset(hostile.Description, 'D', sizeof hostile.Description);
  SimulatedProgrammer sim;
  UseDevices(sim, {Record("AB", "Short"), Record("", ""), Record("LONGSERIAL12345", "Long"), hostile});
  D2xxLibrary library(sim);
  const auto entries = EnumerateProgrammers(library);
  EXPECT_EQ(Texts(entries), (std::vector<std::string>{
                                " -  #1", "AB - Short #0", "LONGSERIAL12345 - Long #2",
                                std::string(16, 'S') + " - " + std::string(63, 'D') + " #3"}));
  EXPECT_EQ(entries[2].serial, "LONGSERIAL12345");
  EXPECT_EQ(entries[3].serial, std::string(16, 'S'));
}

TEST(EnumerateProgrammers, ListsAHundredDevicesInOrder) {
  std::vector<FT_DEVICE_LIST_INFO_NODE> devices;
  for (int i = 99; i >= 0; --i) devices.push_back(Record(("Q" + std::to_string(1000 + i)).c_str(), "B"));
  SimulatedProgrammer sim;
  UseDevices(sim, devices);
  D2xxLibrary library(sim);
  const auto entries = EnumerateProgrammers(library);
  ASSERT_EQ(entries.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(entries[i].serial, "Q" + std::to_string(1000 + i));
}

TEST(ConnectProgrammer, OpensTheEntrysOwnDeviceAndSetsUpBitBangInOrder) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  UseDevices(sim, {Record("AB", "Short"), Record("LONGSERIAL12345", "Long"), Record("", "None")});
  D2xxLibrary library(record);
  const auto entries = EnumerateProgrammers(library);  // " - None", "AB - Short", "LONGSERIAL12345 - Long"
  std::unique_ptr<IOpenProgrammer> handle;
  ASSERT_TRUE(ConnectProgrammer(library, entries[2], handle).ok);
  const FT_HANDLE opened = record.SetupCalls().at(0).handle;
  EXPECT_EQ(sim.DeviceIndexOf(opened), 1);
  const std::vector<SimulatedSetupCall> setup = {
      {"FT_SetBitMode", opened, {0x03, 1}},  // clock and reset only
      {"FT_SetBaudRate", opened, {300}},
      {"FT_SetTimeouts", opened, {2000, 1000}},
      {"FT_ResetDevice", opened, {}},
  };
  EXPECT_EQ(record.SetupCalls(), setup);

  // A short serial opens its own device; one without a serial is opened by its index.
  ASSERT_TRUE(ConnectProgrammer(library, entries[1], handle).ok);
  EXPECT_EQ(sim.DeviceIndexOf(record.SetupCalls().at(4).handle), 0);
  ASSERT_TRUE(ConnectProgrammer(library, entries[0], handle).ok);
  EXPECT_EQ(sim.DeviceIndexOf(record.SetupCalls().at(8).handle), 2);
  const auto opens = record.OpenCalls();
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[0].serial, "LONGSERIAL12345");
  EXPECT_EQ(opens[1].serial, "AB");
  EXPECT_FALSE(opens[2].bySerial);
  EXPECT_EQ(opens[2].index, 2);
}

TEST(ConnectProgrammer, AFailedOpenKeepsTheEarlierConnectionAndSaysWhy) {
  SimulatedProgrammer sim;
  RecordingProgrammer record(sim);
  D2xxLibrary library(record);
  std::unique_ptr<IOpenProgrammer> handle;
  EXPECT_FALSE(ConnectProgrammer(library, EntryForSerial(""), handle).ok);
  // The library would read this serial only up to its zero, and open the simulated programmer.
  const std::string cutShort = std::string(kSimulatedSerial) + '\0' + "2";
  EXPECT_FALSE(ConnectProgrammer(library, EntryForSerial(cutShort), handle).ok);
  EXPECT_TRUE(record.OpenCalls().empty());
  ASSERT_TRUE(ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle).ok);
  const IOpenProgrammer* earlier = handle.get();
  record.ClearRecord();

  sim.SetOptions({.failOpen = true});
  ConnectResult result = ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.error.Failed());
  EXPECT_EQ(handle.get(), earlier);
  EXPECT_TRUE(record.SetupCalls().empty());

  sim.SetOptions({});
  result = ConnectProgrammer(library, EntryForSerial("NOSUCH01"), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(ConnectFailureText(result).find("NOSUCH01"), std::string::npos) << ConnectFailureText(result);
  EXPECT_EQ(handle.get(), earlier);
}

// What Connect refused or which call failed comes back as a value; the library's own words pass
// through, and where it gave none the call and its status are said.
TEST(ConnectProgrammer, AFailureIsAValueSaidWithTheLibrarysWordsOrTheCallAndItsStatus) {
  SimulatedProgrammer sim;
  D2xxLibrary library(sim);
  std::unique_ptr<IOpenProgrammer> handle;
  const ConnectResult noSerial = ConnectProgrammer(library, EntryForSerial(""), handle);
  EXPECT_EQ(noSerial.failure, ConnectResult::Failure::NoSerial);
  EXPECT_EQ(ConnectFailureText(noSerial),
            "No serial number given; choose a programmer from the list or type its serial number");
  sim.SetOptions({.unplugged = true});
  const ConnectResult unplugged = ConnectProgrammer(library, EntryForSerial(kSimulatedSerial), handle);
  EXPECT_EQ(unplugged.failure, ConnectResult::Failure::OpenFailed);
  EXPECT_EQ(unplugged.call, "FT_OpenEx(\"" + std::string(kSimulatedSerial) + "\")");
  EXPECT_EQ(unplugged.fault, ProgrammerFault::NotFound);
  EXPECT_EQ(unplugged.status, 2);
  EXPECT_EQ(ConnectFailureText(unplugged), ProgrammerErrorText(unplugged.error));

  ConnectResult silent = unplugged;
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
  D2xxLibrary library(sim);
  Connection connection(library);
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

}  // namespace
}  // namespace quarrow::test
