// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli on Windows through its real CH341DLLA64.DLL loader, against the test stand-in
// (tests/ch341dll) placed beside a copy of the program, where the loader finds WCH's library too.
#include "InstalledCli.h"

namespace quarrow::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEntry = R"(\\?\usb#vid_1a86&pid_5512#5&2f1c0a7&0&3#{quarrow-test} - CH341A)";
constexpr const char* kInstallDriver = "install WCH's CH341PAR driver (CH341PAR.EXE";

class Ch341Dll : public InstalledCli {
 protected:
  Ch341Dll() : InstalledCli("CH341DLLA64.DLL") {}
};

// Clock and reset away from D0/D1 and the data on D7, which only reads.
TEST_F(Ch341Dll, ListsTheChipAndReadsItByteExactOnAnotherWiring) {
  const fs::path cli = Install(QUARROW_TEST_CH341DLL);
  const Bytes chip = RandomBytes(41);
  UseChip(chip);
  SetEnvironmentVariableW(L"QUARROW_TEST_CH341_WIRING", L"clock=D3,reset=D5,data=D7");

  const CliRun list = RunCli({"list"}, {}, cli);
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, std::string(kEntry) + "\n");

  const CliRun read =
      RunCli({"read", "--pins", "clock=D3,reset=D5,data=D7", "-o", (folder_ / "dump.prm").string()}, {}, cli);
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(ReadFileBytes(folder_ / "dump.prm"), chip);
}

// A driver that fails: the command fails saying why, and nothing is saved.
TEST_F(Ch341Dll, FailuresFailTheCommandAndSaveNothing) {
  struct Case {
    const wchar_t* fault;
    std::string says;
  } cases[] = {
      {L"unplugged-mid-read", "CH341GetInput failed"},
      {L"open-fails", "CH341OpenDevice failed"},
  };
  const fs::path cli = Install(QUARROW_TEST_CH341DLL);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    SetEnvironmentVariableW(L"QUARROW_TEST_CH341_FAULT", c.fault);
    const CliRun run = RunCli({"read", "-o", (folder_ / "dump.prm").string()}, {}, cli);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "dump.prm"));
  }
}

// With no FTDI programmer to list, the CH341A's missing or incomplete driver is what is reported.
TEST_F(Ch341Dll, MissingOrIncompleteLibraryIsReportedWithTheDriverToInstall) {
  struct Case {
    const char* dll;
    std::string says;
    std::string advice;
  } cases[] = {
      {nullptr, "CH341DLLA64.DLL could not be loaded (", kInstallDriver},
      {QUARROW_TEST_CH341DLL_LACKING, "CH341DLLA64.DLL lacks CH341GetInput (", "remove it, or replace it"},
  };
  SetEnvironmentVariableW(L"QUARROW_TEST_FAULT", L"no-devices");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    fs::remove_all(folder_.path());
    fs::create_directory(folder_.path());
    const fs::path cli = Install(c.dll);
    fs::copy_file(QUARROW_TEST_FTD2XX, folder_ / "ftd2xx.dll");
    const CliRun run = RunCli({"list"}, {}, cli);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.advice), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace quarrow::testing
