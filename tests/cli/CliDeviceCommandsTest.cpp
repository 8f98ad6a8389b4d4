// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli's commands that talk to a programmer, run against the simulated one. Each real read
// takes about 4 s, so the reads are few and each is its own test.
#include <gtest/gtest.h>

#include <signal.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include <filesystem>
#include <string>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

constexpr const char* kReadFailed = "PROM read out failed";
constexpr const char* kSimulatedEntry = "QSIM0001 - Simulated RP5H01 programmer";

TEST(Read, SavesExactlyTheChipsBytesInTheMameLayout) {
  TempFolder folder;
  const Bytes chip = RandomBytes(11);
  WriteFileBytes(folder / "chip.prm", chip);
  const auto out = folder / "dump ä.prm";
  const CliRun run = RunCli({"--simulate-image", (folder / "chip.prm").string(), "read", "-o", out.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(out), chip);
  EXPECT_EQ(run.out, TextOfRaw(InvertMirrorBytes(chip)) + "\n" + IdentificationOfMame(chip) + "\n" +
                         kUnknownDumpLine);
  EXPECT_EQ(run.err, "Chip data saved to - " + out.string() + "\n");
}

TEST(Read, VerifiedReadSavesInTheRawLayout) {
  TempFolder folder;
  const Bytes chip = RandomBytes(12);
  WriteFileBytes(folder / "chip.prm", chip);
  const auto out = folder / "dump.bin";
  const CliRun run = RunCli({"--simulate-image", (folder / "chip.prm").string(), "read", "--verify",
                          "--nss", "-o", out.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(out), InvertMirrorBytes(chip));
}

// A read whose pin operations fail must not be shown or saved as if it were the chip.
TEST(Read, FailedReadPrintsAndSavesNothing) {
  TempFolder folder;
  const auto out = folder / "dump.prm";
  WriteFileBytes(out, Bytes(16, 0x5A));
  const CliRun run = RunCli({"--simulate-fault", "reads-fail", "read", "-o", out.string()});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind(kReadFailed, 0), 0u) << run.err;
  EXPECT_EQ(ReadFileBytes(out), Bytes(16, 0x5A));
}

// /dev/fd, file-size limits and signals are POSIX's.
#ifndef _WIN32
// /dev/fd/1 rather than /dev/stdout, the same kind of link one step shorter: a save that replaced
// the name instead of writing through it fails here, where under /dev it would replace the
// machine's /dev/stdout.
TEST(Read, ToStandardOutputWritesTheFileBytesBeforeTheTextButNeverBeforeJson) {
  const Bytes sample = ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm");
  const CliRun run = RunChild({"--simulate", "read", "-o", "/dev/fd/1"}, {});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string(sample.begin(), sample.end()) +
                         TextOfRaw(InvertMirrorBytes(sample)) + "\n" +
                         IdentificationOfMame(sample) + "\n" + kUnknownDumpLine);

  // A script parses standard output as one JSON object; the bytes in front would break it.
  const CliRun json = RunChild({"--simulate", "read", "--json", "-o", "/dev/stdout"}, {});
  EXPECT_EQ(json.status, 2);
  EXPECT_EQ(json.out, "");
  EXPECT_NE(json.err.find("--output must name another file"), std::string::npos) << json.err;
}

// The comment in ReadCommand promises that a good read reaches the person even when its file
// cannot be written; a file-size limit must not end the program before that.
TEST(Read, FileSizeLimitFailsTheSaveButStillPrintsTheRead) {
  TempFolder folder;
  const auto out = folder / "dump.prm";
  ChildSetUp limited;
  limited.fileSizeLimit = 8;
  const CliRun run = RunChild({"--simulate", "read", "-o", out.string()}, limited);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out.find("0123456789ABCDEF FEDCBA9876543210\n"), 0u) << run.out;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

#endif

// A name without a folder part, as in the README, replacing a file already there.
TEST(Read, IntoABareNameInTheCurrentFolderReplacesTheFileThere) {
  TempFolder folder;
  WriteFileBytes(folder / "d.prm", Bytes(16, 0x5A));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const CliRun run = RunCli({"--simulate", "read", "-o", "d.prm"});
  std::filesystem::current_path(before);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(folder / "d.prm"), ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm"));
}

#ifdef _WIN32
// A program that holds the file open sharing reading and writing but not deletion, as viewers do,
// makes Windows' replace fail: that is found before the read, not after it.
TEST(Read, FileHeldOpenByAnotherProgramIsReportedBeforeReading) {
  TempFolder folder;
  const auto out = folder / "held.prm";
  WriteFileBytes(out, Bytes(16, 0x5A));
  HANDLE held = CreateFileW(out.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const CliRun run = RunCli({"--simulate", "read", "-o", out.string()});
  CloseHandle(held);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("Can't save file - " + out.string() + ": ", 0), 0u) << run.err;
  EXPECT_EQ(ReadFileBytes(out), Bytes(16, 0x5A));
}

// Under Wine, drive Z: is Linux's root, and /sys takes no new file, not even from root: a folder
// that refuses new files, as a read-only drive or share or a protected folder does.
TEST(Read, FolderThatRefusesNewFilesIsReportedBeforeReading) {
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
    GTEST_SKIP() << "needs Wine's drive Z:";
  }
  const CliRun run = RunCli({"--simulate", "read", "-o", "Z:\\sys\\quarrow.prm"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");  // no chip text: the read never began
  EXPECT_EQ(run.err.rfind("Can't save file - Z:\\sys\\quarrow.prm: folder Z:\\sys: ", 0), 0u)
      << run.err;
}

// Each would fail only after the folders above it were made, or make a folder of another name.
TEST(ArchiveFolder, NamesWindowsRefusesOrChangesAreRefusedBeforeAnyFolderIsMade) {
  TempFolder folder;
  char drive = 0;
  for (char letter = 'Y'; letter > 'C' && drive == 0; --letter) {
    if ((GetLogicalDrives() & (1u << (letter - 'A'))) == 0) drive = letter;
  }
  ASSERT_NE(drive, 0);
  const std::string missingDrive = std::string(1, drive) + ":";
  const struct {
    std::string dir;
    std::string says;
  } cases[] = {
      {missingDrive + "\\dumps", "there is no drive " + missingDrive},
      {(folder / "new" / "box. ").string(), "ends in a space or a dot"},
      {(folder / "new" / "nul.txt").string(), "is the name of a device"},
      {(folder / "new" / "a?b").string(), "holds a character Windows does not allow"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli({"--simulate", "archive", c.dir});
    EXPECT_EQ(run.status, 3) << c.dir;
    EXPECT_EQ(run.err.rfind("Can't use the archive folder - ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "new")) << c.dir;
  }
}
#endif

TEST(Read, SaveThatIsBoundToFailIsReportedBeforeReading) {
  // The simulated reads would fail; the save's folder is missing, which must be found first.
  TempFolder folder;
  const auto out = folder / "gone" / "dump.prm";
  const CliRun run = RunCli({"--simulate-fault", "reads-fail", "read", "-o", out.string()});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "Can't save file - " + out.string() + ": folder " +
                         (folder / "gone").string() + ": " + NoSuchFolderText() + "\n");
}

#ifndef _WIN32
TEST(Read, CtrlCStopsTheReadEndsTheProgressLineAndExits130) {
  TempFolder folder;
  const auto out = folder / "dump.prm";
  ChildSetUp ctrlC;
  ctrlC.signalWhenErrShows = "/128";  // the progress bar is drawn: the read is under way
  ctrlC.signal = SIGINT;
  const CliRun run = RunChild({"--simulate", "read", "-o", out.string()}, ctrlC);
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_EQ(run.out, "");
  // The bar is erased back to the start of its line, and the notice is the last line.
  const std::size_t notice = run.err.rfind("\rRead interrupted");
  ASSERT_NE(notice, std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

#endif

TEST(Compare, MatchingFileExitsZero) {
  TempFolder folder;
  const Bytes chip = RandomBytes(13);
  WriteFileBytes(folder / "chip.prm", chip);
  WriteFileBytes(folder / "same.bin", InvertMirrorBytes(chip));
  const CliRun run = RunCli({"--simulate-image", (folder / "chip.prm").string(), "compare", "--nss",
                          (folder / "same.bin").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  // The hash line is that of the file compared with, in its raw layout.
  EXPECT_EQ(run.out, TextOfRaw(InvertMirrorBytes(chip)) + "\n" +
                         IdentificationOfMame(InvertMirrorBytes(chip)) + "\n" + kUnknownDumpLine +
                         "Chip and file match\n");
}

TEST(Compare, FileDifferingInTheFirstAndLastBitExitsOneNamingThem) {
  // The simulated chip is the shipped sample; the file differs from it in bits 0 and 127, which the
  // MAME layout keeps in the top bit of byte 0 and the bottom bit of byte 15.
  TempFolder folder;
  Bytes differing = ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm");
  ASSERT_EQ(differing.size(), 16u);
  differing[0] ^= 0x80;
  differing[15] ^= 0x01;
  WriteFileBytes(folder / "file.prm", differing);
  const CliRun run = RunCli({"--simulate", "compare", (folder / "file.prm").string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, "0123456789ABCDEF FEDCBA9876543210\n"
                     "CRC(6caff5d8) SHA1(6f041ee1cbe84653237a6d0c925ef5c5da982242)\n" +
                         std::string(kUnknownDumpLine) + "Chip and file do not match\n");
  EXPECT_EQ(run.err, "Differing bits: 0, 127\n");
}

TEST(List, ShowsTheSimulatedProgrammer) {
  const CliRun run = RunCli({"--simulate", "list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(kSimulatedEntry) + "\n");
}

TEST(DeviceErrors, NoProgrammerOrOneThatWillNotOpenExitsThree) {
  // What was looked for is named, every FTDI chip with bit-bang among it.
  const std::string kNothingFtdi = "No programmer found: looked for FTDI chips with bit-bang (FT232R, FT245R, FT232H";
  struct Case {
    std::vector<std::string> args;
    std::string errorStart;
  } cases[] = {
      {{"--simulate-fault", "unplugged", "list"}, kNothingFtdi},
      {{"--simulate-fault", "unplugged", "read"}, kNothingFtdi},
      {{"--simulate-fault", "busy", "read"}, "Can't open USB device: "},
      {{"--simulate", "read", "--device", "NOSUCH01"}, "Can't open USB device: "},
      // A serial from the command line comes back in the error; it must stay on its line.
      {{"--simulate", "read", "--device", "NO\nSUCH\x1B[2J"}, "Can't open USB device: "},
      {{"--simulate-fault", "busy", "compare", QUARROW_SAMPLES_DIR "/sample.prm"},
       "Can't open USB device: "},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.status, 3) << c.args[2];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(c.errorStart, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

}  // namespace
}  // namespace quarrow::testing
