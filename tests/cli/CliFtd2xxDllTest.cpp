// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli on Windows through its real ftd2xx.dll loader, against the test stand-in (tests/ftd2xx)
// placed beside a copy of the program, where the loader finds FTDI's library too.
#include <algorithm>

#include "InstalledCli.h"

namespace quarrow::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDllEntry = "FTQ2XX01 - FT232R USB UART (test ftd2xx.dll)\n";
constexpr const char* kInstallDriver = "install FTDI's D2XX driver";

class Ftd2xxDll : public InstalledCli {
 protected:
  Ftd2xxDll() : InstalledCli("ftd2xx.dll") {}
};

TEST_F(Ftd2xxDll, ListsTheProgrammerAndReadsItsChipIntoANonAsciiFile) {
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  const Bytes chip = RandomBytes(21);
  UseChip(chip);

  const CliRun list = RunCli({"list"}, {}, cli);
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, kDllEntry);

  const fs::path out = folder_ / "Ränder 日本.prm";
  const std::string outName = (folder_ / "Ränder 日本.prm").string();
  const CliRun read = RunCli({"read", "-o", outName}, {}, cli);
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(ReadFileBytes(out), chip);
  EXPECT_EQ(read.out, TextOfRaw(InvertMirrorBytes(chip)) + "\n" + IdentificationOfMame(chip) + "\n" +
                          kUnknownDumpLine);
  EXPECT_EQ(read.err, "Chip data saved to - " + outName + "\n");
}

TEST_F(Ftd2xxDll, CompareNamesTheBitsThatDiffer) {
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  const Bytes chip = RandomBytes(22);
  UseChip(chip);
  Bytes file = chip;
  file[1] ^= 0x40;  // bit 9: byte 1, mirrored
  WriteFileBytes(folder_ / "file.prm", file);
  const CliRun run = RunCli({"compare", (folder_ / "file.prm").string()}, {}, cli);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, TextOfRaw(InvertMirrorBytes(chip)) + "\n" + IdentificationOfMame(chip) + "\n" +
                         kUnknownDumpLine + "Chip and file do not match\n");
  EXPECT_EQ(run.err, "Differing bits: 9\n");
}

// The list's type field decides: an FT2232H is listed port by port under its chip's name, and the
// second port reads.
TEST_F(Ftd2xxDll, ListsAnFt2232hPortByPortAndReadsTheSecond) {
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  SetEnvironmentVariableW(L"QUARROW_TEST_CHIP_TYPE", L"FT2232H");
  const CliRun list = RunCli({"list"}, {}, cli);
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, "FTQ2XX01A - FT2232H (FT2232H board A)\nFTQ2XX01B - FT2232H (FT2232H board B)\n");
  const CliRun read = RunCli({"read", "--device", "FTQ2XX01B"}, {}, cli);
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out.substr(0, 34), "0123456789ABCDEF FEDCBA9876543210\n");
}

TEST_F(Ftd2xxDll, ReadsThatFailHalfWaySaveAndPrintNothing) {
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  SetEnvironmentVariableW(L"QUARROW_TEST_FAULT", L"reads-fail");
  const CliRun run = RunCli({"read", "-o", (folder_ / "dump.prm").string()}, {}, cli);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("PROM read out failed", 0), 0u) << run.err;
  EXPECT_NE(run.err.find("FT_IO_ERROR"), std::string::npos) << run.err;  // the library's status
  EXPECT_FALSE(fs::exists(folder_ / "dump.prm"));
}

// A library that fails or lies: the read never goes ahead on a programmer that was not set up or
// whose pins were not driven, and an absurd device count is an error, not the end of the program.
TEST_F(Ftd2xxDll, FailuresTheLibraryReportsOrHidesFailTheCommand) {
  struct Case {
    const wchar_t* fault;
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {L"setup-fails", {"read", "-o", (folder_ / "dump.prm").string()}, "FT_SetBaudRate returned status 4"},
      {L"short-write", {"read", "-o", (folder_ / "dump.prm").string()}, "ftd2xx.dll: writing to the programmer's pins failed: took 0 of 1 bytes"},
      {L"absurd-count", {"list"}, "ftd2xx.dll: the driver library reports 4294967295 attached devices"},
  };
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    SetEnvironmentVariableW(L"QUARROW_TEST_FAULT", c.fault);
    const CliRun run = RunCli(c.args, {}, cli);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "dump.prm"));
  }
}

// FTDI's record has 16 bytes for the serial; one that fills them has no terminator.
TEST_F(Ftd2xxDll, ASerialFillingItsWholeFieldIsListedAndOpensWhole) {
  const fs::path cli = Install(QUARROW_TEST_FTD2XX);
  SetEnvironmentVariableW(L"QUARROW_TEST_FAULT", L"long-serial");
  const CliRun list = RunCli({"list"}, {}, cli);
  EXPECT_EQ(list.out, "FTQ2XX0123456789 - FT232R USB UART (test ftd2xx.dll)\n") << list.err;
  const CliRun read = RunCli({"read"}, {}, cli);
  EXPECT_EQ(read.status, 0) << read.err;
}

// Without the driver, list and read say what is missing and to install it; a copy beside the program
// that lacks a function is named, to be removed or replaced, since it hides the driver's own.
TEST_F(Ftd2xxDll, MissingOrIncompleteLibraryIsReportedWithTheFix) {
  struct Case {
    const char* dll;
    std::string command;
    std::string says;
    std::string advice;
  } cases[] = {
      {nullptr, "list", "ftd2xx.dll could not be loaded (", kInstallDriver},
      {nullptr, "read", "ftd2xx.dll could not be loaded (", kInstallDriver},
      {QUARROW_TEST_FTD2XX_LACKING, "read", "ftd2xx.dll lacks FT_GetBitMode (", "remove it, or replace it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + (c.dll ? " lacking" : " missing"));
    fs::remove_all(folder_.path());
    fs::create_directory(folder_.path());
    const CliRun run = RunCli({c.command}, {}, Install(c.dll));
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.advice), std::string::npos) << run.err;
    // A line for each family that could not look, FTDI's and the CH341A's (whose driver is not
    // here either), the system's text of each error with no line break of its own.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
  }
}

// A copy beside the program comes before the driver's own: the error names it and says to remove
// or replace it, since installing the driver would change nothing.
TEST_F(Ftd2xxDll, ADamagedCopyBesideTheProgramIsNamed) {
  const fs::path cli = Install(nullptr);
  WriteFileBytes(folder_ / "ftd2xx.dll", Bytes(4096, 0x90));
  const CliRun run = RunCli({"list"}, {}, cli);
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("ftd2xx.dll could not be loaded"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(folder_.path().filename().string()), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("remove it, or replace it"), std::string::npos) << run.err;
  // The system's text for a file that is no program leaves a place for its name ("%1 is not a
  // valid Win32 application"): it is filled.
  EXPECT_EQ(run.err.find('%'), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quarrow::testing
