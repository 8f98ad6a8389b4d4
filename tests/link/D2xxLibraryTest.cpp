// SPDX-License-Identifier: GPL-3.0-or-later
// D2XX's device records read as programmers, and its open and set-up calls, over a D2XX that lists
// the records it is given and notes every call made to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "D2xxLibrary.h"

namespace quarrow::test {
namespace {

FT_DEVICE_LIST_INFO_NODE Record(const char* serial, const char* description, std::uint32_t type = FT_DEVICE_232R) {
  FT_DEVICE_LIST_INFO_NODE record;
  record.Type = type;
  std::strncpy(record.SerialNumber, serial, sizeof record.SerialNumber - 1);
  std::strncpy(record.Description, description, sizeof record.Description - 1);
  return record;
}

struct FakeD2xx : ID2xx {
  std::vector<FT_DEVICE_LIST_INFO_NODE> records;
  std::string failing;  // the call, up to its arguments, that fails with `failStatus`
  FT_STATUS failStatus = FT_IO_ERROR;
  std::string words;    // its own words for a failure
  std::vector<std::string> calls;

  FT_STATUS Call(const std::string& call) {
    calls.push_back(call);
    return !failing.empty() && call.rfind(failing, 0) == 0 ? failStatus : FT_OK;
  }
  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override {
    *count = static_cast<std::uint32_t>(records.size());
    return Call("FT_CreateDeviceInfoList");
  }
  FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) override {
    *count = std::min(*count, static_cast<std::uint32_t>(records.size()));
    std::copy_n(records.begin(), *count, list);
    return Call("FT_GetDeviceInfoList");
  }
  FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) override {
    *handle = this;
    return Call("FT_OpenEx(" + std::string(serial) + ", " + std::to_string(flags) + ")");
  }
  FT_STATUS FT_Open(int index, FT_HANDLE* handle) override {
    *handle = this;
    return Call("FT_Open(" + std::to_string(index) + ")");
  }
  FT_STATUS FT_Close(FT_HANDLE) override { return Call("FT_Close"); }
  FT_STATUS FT_SetBitMode(FT_HANDLE, std::uint8_t mask, std::uint8_t mode) override {
    return Call("FT_SetBitMode(" + std::to_string(mask) + ", " + std::to_string(mode) + ")");
  }
  FT_STATUS FT_SetBaudRate(FT_HANDLE, std::uint32_t baud) override {
    return Call("FT_SetBaudRate(" + std::to_string(baud) + ")");
  }
  FT_STATUS FT_SetTimeouts(FT_HANDLE, std::uint32_t readMs, std::uint32_t writeMs) override {
    return Call("FT_SetTimeouts(" + std::to_string(readMs) + ", " + std::to_string(writeMs) + ")");
  }
  FT_STATUS FT_ResetDevice(FT_HANDLE) override { return Call("FT_ResetDevice"); }
  FT_STATUS FT_Write(FT_HANDLE, const void* data, std::uint32_t size, std::uint32_t* written) override {
    // A short write: success said, nothing taken.
    *written = failing == "short write" ? 0 : size;
    return Call("FT_Write(" + std::to_string(*static_cast<const std::uint8_t*>(data)) + ")");
  }
  FT_STATUS FT_GetBitMode(FT_HANDLE, std::uint8_t* pins) override {
    *pins = 0x5A;
    return Call("FT_GetBitMode");
  }
  ProgrammerError LastError() const override {
    ProgrammerError error;
    if (!words.empty()) error = {.problem = ProgrammerProblem::Other, .source = {}, .family = {}, .subject = {}, .words = words};
    return error;
  }
};

TEST(D2xxLibrary, ListsTheBitBangChipsReadingEachFieldOnlyToItsEnd) {
  FT_DEVICE_LIST_INFO_NODE hostile = Record("", "");
  std::memset(hostile.SerialNumber, 'S', sizeof hostile.SerialNumber);
  std::memset(hostile.Description, 'D', sizeof hostile.Description);
  FakeD2xx d2xx;
  // Types 0 (FT232BM) and 3 (unknown) have no asynchronous bit-bang the tool can use.
  d2xx.records = {Record("X1", "Old", 0), hostile, Record("C0000003B", "Dual RS232-HS B", FT_DEVICE_2232H),
                  Record("X2", "?", 3), Record("E0000005", "FT231X USB UART", FT_DEVICE_X_SERIES)};
  D2xxLibrary library(d2xx);
  const std::vector<FoundProgrammer> found = library.List();
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].serial, std::string(16, 'S'));
  EXPECT_EQ(found[0].description, std::string(64, 'D'));
  EXPECT_EQ(found[0].chip, FtdiChip::FT232R);
  EXPECT_EQ(found[1].chip, FtdiChip::FT2232H);
  EXPECT_EQ(found[1].port, 1);  // its letter
  EXPECT_EQ(found[1].pinNames.at(2), "BDBUS2");
  EXPECT_EQ(found[2].chip, FtdiChip::FT231X);
  EXPECT_EQ(found[2].family, "FTDI");
}

TEST(D2xxLibrary, ListsNothingWhenEnumerationFailsAndSaysWhyInItsWords) {
  FakeD2xx d2xx;
  d2xx.records = {Record("A1", "Board")};
  d2xx.failing = "FT_CreateDeviceInfoList";  // with a count left behind
  d2xx.words = "no USB";
  D2xxLibrary library(d2xx);
  EXPECT_TRUE(library.List().empty());
  EXPECT_EQ(library.LastError().words, "no USB");
}

// FT_Open counts every record, also those of chips without bit-bang the list leaves out.
TEST(D2xxLibrary, OpensByRecordIndexOrSerialAndSetsUpBitBangInOrder) {
  FakeD2xx d2xx;
  d2xx.records = {Record("X1", "Old", 0), Record("A1", "Board"), Record("", "No serial")};
  D2xxLibrary library(d2xx);
  ASSERT_EQ(library.List().size(), 2u);
  d2xx.calls.clear();
  OpenedProgrammer opened = library.Open(ProgrammerChoice::AtPlace(1), 0x03);
  ASSERT_TRUE(opened.programmer);
  EXPECT_EQ(d2xx.calls, (std::vector<std::string>{"FT_Open(2)", "FT_SetBitMode(3, 1)", "FT_SetBaudRate(300)",
                                                  "FT_SetTimeouts(2000, 1000)", "FT_ResetDevice"}));
  EXPECT_TRUE(opened.programmer->SetOutputs(0x0C));
  EXPECT_TRUE(opened.programmer->WritePins(0x04));
  std::uint8_t pins = 0;
  EXPECT_TRUE(opened.programmer->ReadPins(pins));
  EXPECT_EQ(pins, 0x5A);
  opened.programmer.reset();
  EXPECT_EQ(d2xx.calls.back(), "FT_Close");

  d2xx.calls.clear();
  opened = library.Open(ProgrammerChoice::BySerial("A1"), 0x13);
  ASSERT_TRUE(opened.programmer);
  EXPECT_EQ(d2xx.calls.front(), "FT_OpenEx(A1, 1)");
  d2xx.failing = "short write";
  EXPECT_FALSE(opened.programmer->WritePins(0x01)) << "success said for a byte not taken";
}

TEST(D2xxLibrary, AFailedOpenOrSetUpNamesTheCallAndItsStatusAndClosesWhatItOpened) {
  FakeD2xx d2xx;
  D2xxLibrary library(d2xx);
  d2xx.failing = "FT_OpenEx";
  d2xx.failStatus = FT_DEVICE_NOT_FOUND;
  d2xx.words = "gone";
  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("NOSUCH01"), 0x03);
  EXPECT_FALSE(opened.programmer);
  EXPECT_EQ(opened.failure.stage, ProgrammerFailure::Stage::Open);
  EXPECT_EQ(opened.failure.step, "FT_OpenEx(\"NOSUCH01\")");
  EXPECT_EQ(opened.failure.fault, ProgrammerFault::NotFound);
  EXPECT_EQ(opened.failure.status, 2);
  EXPECT_EQ(opened.failure.error.words, "gone");

  d2xx.failing = "FT_SetBaudRate";
  d2xx.failStatus = FT_IO_ERROR;
  d2xx.calls.clear();
  opened = library.Open(ProgrammerChoice::BySerial("A1"), 0x03);
  EXPECT_FALSE(opened.programmer);
  EXPECT_EQ(opened.failure.stage, ProgrammerFailure::Stage::Setup);
  EXPECT_EQ(opened.failure.step, "FT_SetBaudRate");
  EXPECT_EQ(opened.failure.fault, ProgrammerFault::Io);
  EXPECT_EQ(d2xx.calls.back(), "FT_Close");
}

}  // namespace
}  // namespace quarrow::test
