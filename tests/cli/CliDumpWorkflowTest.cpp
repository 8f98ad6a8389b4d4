// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli for preserving many dumps: the hash and ROM_LOAD lines per layout, conversions that
// refuse to corrupt and that repair, repeated reads, --strict, and the archive loop. The tables are
// made here; the reads run on the simulated programmer at the chip's pace (about 4 s each).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

// A PlayChoice-10 set listed in the MAME layout and an NSS set listed in the raw layout, each with
// a file of its own, as MAME lists them.
class DumpWorkflow : public ::testing::Test {
 protected:
  DumpWorkflow() {
    WriteFileBytes(folder / "pc.prm", pcMame);
    WriteFileBytes(folder / "nss.bin", nssRaw);
    std::ofstream(folder / "table.tsv", std::ios::binary)
        << "set\ttitle\tyear\tmanufacturer\trom_name\tcrc32\tsha1\tlayout\n"
        << "pc_test\tTest (PlayChoice-10)\t1986\tNintendo\tsecurity.prm\t" << TableHashes(pcMame)
        << "\tmame\n"
        << "nss_test\tTest (Nintendo Super System)\t1992\tOcean\tnss-test.bin\t"
        << TableHashes(nssRaw) << "\traw\n";
  }

  CliRun Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--known-dumps", table});
    return RunCli(args);
  }

  TempFolder folder;
  const Bytes pcMame = RandomBytes(21);
  const Bytes nssRaw = RandomBytes(22);
  const std::string pc = (folder / "pc.prm").string();
  const std::string nss = (folder / "nss.bin").string();
  const std::string table = (folder / "table.tsv").string();
};

TEST_F(DumpWorkflow, HashLineIsTheFilesOwnAndRomLoadUsesTheSetsNameAndLayout) {
  const CliRun run = Run({"show", nss, "--nss", "--rom-load"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Split(run.out, '\n');
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_EQ(lines[1], IdentificationOfMame(nssRaw));
  EXPECT_EQ(lines[2], "ROM_LOAD( \"nss-test.bin\", 0x00, 0x10, " + IdentificationOfMame(nssRaw) +
                         " ) // nss_test");
  EXPECT_EQ(lines[3].rfind("Known dump: nss_test, ", 0), 0u);

  // An unknown image: MAME's layout and name, whatever layout the file was opened in.
  const Bytes other = RandomBytes(23);
  WriteFileBytes(folder / "other.bin", other);
  const nlohmann::json report =
      nlohmann::json::parse(Run({"identify", (folder / "other.bin").string(), "--nss",
                                 "--rom-load", "--json"}).out);
  EXPECT_EQ(report["rom_load"], "ROM_LOAD( \"security.prm\", 0x00, 0x10, " +
                                    IdentificationOfMame(InvertMirrorBytes(other)) + " )");
}

TEST_F(DumpWorkflow, ConvertRefusesAFileAlreadyInTheTargetLayoutUnlessForced) {
  const auto out = folder / "out.prm";
  const CliRun refused = Run({"convert", pc, out.string(), "--to", "mame"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("read in the MAME layout it is pc_test"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(out));

  const CliRun forced = Run({"convert", pc, out.string(), "--to", "mame", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFileBytes(out), InvertMirrorBytes(pcMame));
}

// An archived NSS set, as MAME keeps it: opened by its name in the raw layout; opened as MAME's
// layout, still that set, with the line that opens it right and no conversion that would rewrite it.
TEST_F(DumpWorkflow, AnArchivedNssFileIsItsSetByItsBytesAndIsNotConvertedAway) {
  const std::string archived = (folder / "nss_test.NSS").string();
  WriteFileBytes(archived, nssRaw);
  const std::vector<std::string> byName = Split(Run({"show", archived}).out, '\n');
  ASSERT_EQ(byName.size(), 3u);
  EXPECT_EQ(byName[1], IdentificationOfMame(nssRaw));  // the file's own hashes
  EXPECT_EQ(byName[2], "Known dump: nss_test, Test (Nintendo Super System), Ocean 1992");

  const CliRun asMame = Run({"identify", archived, "--mame"});
  EXPECT_EQ(asMame.status, 0) << asMame.err;
  EXPECT_NE(asMame.out.find("Known dump: nss_test, Test (Nintendo Super System), Ocean 1992 - the "
                            "file is in the raw (NSS) layout"),
            std::string::npos) << asMame.out;
  EXPECT_NE(asMame.out.find("\nOpen it with: quarrow-cli identify "), std::string::npos);
  EXPECT_EQ(asMame.out.find("quarrow-cli convert"), std::string::npos) << asMame.out;

  const std::vector<std::string> toMame = {"convert", archived, archived, "--from", "nss",
                                           "--to", "mame"};
  const CliRun refused = Run(toMame);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find(" is byte for byte the file of nss_test in the raw (NSS) layout"),
            std::string::npos) << refused.err;
  EXPECT_EQ(ReadFileBytes(archived), nssRaw);
  std::vector<std::string> forced = toMame;
  forced.push_back("--force");
  EXPECT_EQ(Run(forced).status, 0);
  EXPECT_EQ(ReadFileBytes(archived), InvertMirrorBytes(nssRaw));
}

// One line per ROM name, each with its sets; a near miss is no set's dump and gets none.
TEST_F(DumpWorkflow, RomLoadNamesEachRomNameWithItsSetsAndNoneForANearMiss) {
  const auto shared = folder / "shared.tsv";
  {
    std::ofstream rows(shared, std::ios::binary);
    rows << "set\ttitle\tyear\tmanufacturer\trom_name\tcrc32\tsha1\tlayout\n";
    for (const char* row : {"pc_a\tA\t1990\tN\tsecurity.prm\t", "pc_b\tB\t1990\tN\tsecurity.u6\t",
                            "pc_c\tC\t1991\tN\tsecurity.u6\t"}) {
      rows << row << TableHashes(pcMame) << "\tmame\n";
    }
  }
  const CliRun run = RunCli({"--known-dumps", shared.string(), "identify", pc, "--rom-load"});
  const std::string hashes = IdentificationOfMame(pcMame);
  EXPECT_EQ(run.out.rfind("ROM_LOAD( \"security.prm\", 0x00, 0x10, " + hashes + " ) // pc_a\n" +
                              "ROM_LOAD( \"security.u6\", 0x00, 0x10, " + hashes +
                              " ) // pc_b, pc_c\nKnown dump: pc_a, ",
                          0),
            0u) << run.out;

  Bytes inverted = pcMame;
  for (auto& b : inverted) b = static_cast<std::uint8_t>(~b);
  const std::string nearMiss = (folder / "inverted.prm").string();
  WriteFileBytes(nearMiss, inverted);
  const CliRun repair = Run({"identify", nearMiss, "--rom-load"});
  EXPECT_EQ(repair.status, 0) << repair.err;
  EXPECT_EQ(repair.out.find("ROM_LOAD"), std::string::npos) << repair.out;
  EXPECT_NE(repair.out.find("\nRepair with: "), std::string::npos) << repair.out;
  EXPECT_NE(repair.err.find("No ROM_LOAD line for a near miss"), std::string::npos) << repair.err;
}

// In place, 16 bytes would replace whatever a file of another size holds; a new file may be made.
TEST_F(DumpWorkflow, ConvertInPlaceLeavesAFileOfAnotherSizeAlone) {
  const std::string odd = (folder / "odd.prm").string();
  for (const Bytes& contents : {Bytes{}, Bytes(17, 0x5a)}) {
    WriteFileBytes(odd, contents);
    const CliRun run = Run({"convert", odd, odd, "--from", "mame", "--to", "mame", "--invert"});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(" bytes, not 16: "), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(odd), contents);
  }
  const auto copy = folder / "copy.prm";
  const CliRun run = Run({"convert", odd, copy.string(), "--from", "mame", "--to", "mame"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Note - "), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileBytes(copy), Bytes(16, 0x5a));
}

// identify names the convert line for each near miss; run in place, it gives back the known dump.
TEST_F(DumpWorkflow, IdentifysRepairLineTurnsEachNearMissBackIntoTheDump) {
  Bytes inverted = pcMame, swapped = pcMame;
  for (auto& b : inverted) b = static_cast<std::uint8_t>(~b);
  const Bytes mirrored = InvertMirrorBytes(inverted);  // the second inversion undoes the first
  std::rotate(swapped.begin(), swapped.begin() + 8, swapped.end());
  for (const auto& [name, bytes] : {std::pair{"inverted.prm", inverted},
                                    std::pair{"mirrored.prm", mirrored},
                                    std::pair{"swapped.prm", swapped}}) {
    const std::string file = (folder / name).string();
    WriteFileBytes(file, bytes);
    const nlohmann::json report = nlohmann::json::parse(Run({"identify", file, "--json"}).out);
    ASSERT_EQ(report["identification"]["result"], "near-miss") << name;
    // The line is for a shell: a word may be quoted (Windows paths are), none holds a space here.
    std::vector<std::string> repair = Split(report["repair"].get<std::string>(), ' ');
    for (std::string& word : repair) {
      if (word.size() > 1 && (word.front() == '\'' || word.front() == '"')) {
        word = word.substr(1, word.size() - 2);
      }
    }
    ASSERT_EQ(repair.front(), "quarrow-cli");
    const CliRun converted = Run(std::vector<std::string>(repair.begin() + 1, repair.end()));
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(ReadFileBytes(file), pcMame) << name;
  }
}

TEST(RepeatedReads, AnUnstableBitIsNamedWithItsCountAndNothingIsSaved) {
  TempFolder folder;
  const auto out = folder / "dump.prm";
  const CliRun run =
      RunCli({"--simulate-fault", "unstable-bit", "read", "--reads", "5", "-o", out.string()});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("unstable bits: 37 (read as 1 by "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" of 5 reads)\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Reads of the chip differ: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" of 5 reads differ from the first - "), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Agreeing reads save as one read would; with --nss the hash line is the saved file's, while the
// ROM_LOAD line of an unknown dump stays in the MAME layout.
TEST(RepeatedReads, AgreeingReadsSaveTheRawFileAndHashItsBytes) {
  TempFolder folder;
  const auto out = folder / "dump.bin";
  const CliRun run =
      RunCli({"--simulate", "read", "--reads", "3", "--nss", "-o", out.string(), "--rom-load"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Bytes sample = ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm");
  EXPECT_EQ(ReadFileBytes(out), InvertMirrorBytes(sample));
  EXPECT_EQ(run.out, "0123456789ABCDEF FEDCBA9876543210\n" +
                         IdentificationOfMame(InvertMirrorBytes(sample)) + "\n" +
                         "ROM_LOAD( \"security.prm\", 0x00, 0x10, " + IdentificationOfMame(sample) + " )\n" +
                         kUnknownDumpLine);
}

TEST(Strict, ABlankChipExitsFourAndIsNeitherSavedNorCompared) {
  TempFolder folder;
  WriteFileBytes(folder / "blank.prm", Bytes{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                             0xff, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00});
  const auto out = folder / "dump.prm";
  const CliRun run = RunCli(
      {"--simulate-image", (folder / "blank.prm").string(), "read", "--strict", "-o", out.string()});
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.err.find("the chip is blank\nThe read looks broken"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));

  // A blank chip would "match" a file of its own pattern; under --strict it is not compared.
  const CliRun compare = RunCli({"--simulate-image", (folder / "blank.prm").string(), "compare",
                                 "--strict", (folder / "blank.prm").string()});
  EXPECT_EQ(compare.status, 4);
  EXPECT_EQ(compare.out.find("Chip and file"), std::string::npos) << compare.out;
}

#ifndef _WIN32  // standard input from a pipe and signals are set up by the POSIX runner only
class Archive : public DumpWorkflow {
 protected:
  Archive() {
    // The simulated chip holds MAME-layout files; this one reads as the NSS set's dump.
    WriteFileBytes(folder / "nss-chip.prm", InvertMirrorBytes(nssRaw));
    WriteFileBytes(folder / "unknown.prm", unknown);
    WriteFileBytes(folder / "empty.prm", Bytes(16, 0xff));
  }
  std::vector<std::string> ArchiveArgs(const std::vector<std::string>& images) const {
    std::vector<std::string> args{"--known-dumps", table};
    for (const std::string& image : images) {
      args.insert(args.end(), {"--simulate-image", (folder / image).string()});
    }
    args.insert(args.end(), {"archive", dir.string()});
    return args;
  }
  std::vector<std::vector<std::string>> LogRows() const {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(dir / "archive.tsv", std::ios::binary);
    for (std::string line; std::getline(in, line);) rows.push_back(Split(line, '\t'));
    return rows;
  }
  std::vector<std::string> DirEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  const Bytes unknown = RandomBytes(24);
  const std::vector<std::string> unknownHashes = Split(TableHashes(unknown), '\t');
  const std::string unknownName = "unknown-" + unknownHashes[0] + ".prm";
  const std::filesystem::path dir = folder / "dumps";
};

TEST_F(Archive, PipedChipsAreArchivedOnceEachLoggedAndReportedAsJsonLines) {
  // A different dump under the set's name is kept; the chip's goes beside it as -2.
  std::filesystem::create_directory(dir);
  WriteFileBytes(dir / "nss_test.nss", Bytes(16, 0x11));
  ChildSetUp piped;
  piped.input = "\n\n\n\n";
  std::vector<std::string> args =
      ArchiveArgs({"nss-chip.prm", "nss-chip.prm", "unknown.prm", "empty.prm"});
  args.push_back("--json");
  const CliRun run = RunChild(args, piped);
  ASSERT_EQ(run.status, 0) << run.err;

  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"archive.tsv", "nss_test-2.nss", "nss_test.nss",
                                                    unknownName}));
  EXPECT_EQ(ReadFileBytes(dir / "nss_test-2.nss"), nssRaw);
  EXPECT_EQ(ReadFileBytes(dir / unknownName), unknown);
  EXPECT_EQ(ReadFileBytes(dir / "nss_test.nss"), Bytes(16, 0x11));

  const std::vector<std::vector<std::string>> rows = LogRows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], Split("time\tprogrammer\tfile\tset\tcrc32\tsha1\tresult", '\t'));
  const std::vector<std::string> nssHashes = Split(TableHashes(nssRaw), '\t');
  const std::vector<std::vector<std::string>> expected = {
      {"QSIM0001", "nss_test-2.nss", "nss_test", nssHashes[0], nssHashes[1], "archived"},
      {"QSIM0001", "nss_test-2.nss", "nss_test", nssHashes[0], nssHashes[1], "already archived"},
      {"QSIM0001", unknownName, "unknown", unknownHashes[0], unknownHashes[1], "archived"},
      {"QSIM0001", "", "unknown", "", "", "broken: all bits 0"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(rows[i + 1].size(), 7u);
    EXPECT_EQ(rows[i + 1][0].size(), 20u) << rows[i + 1][0];  // 2026-01-31T12:34:56Z
    EXPECT_EQ(std::vector<std::string>(rows[i + 1].begin() + 1, rows[i + 1].end()), expected[i]);
  }

  const std::vector<std::string> objects = Split(run.out, '\n');
  ASSERT_EQ(objects.size(), 4u) << run.out;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const nlohmann::json chip = nlohmann::json::parse(objects[i]);
    EXPECT_EQ(chip["chip"], i + 1);
    EXPECT_EQ(chip["result"], expected[i][5]);
  }
  EXPECT_NE(run.err.find("Chips read: 4, archived: 2, already archived: 1, refused: 1\n"),
            std::string::npos)
      << run.err;
}

// A table is anyone's file: a set name that would leave the folder is not used as a file name.
TEST_F(Archive, ASetNameThatIsNoPlainFileNameIsNotUsedAsOne) {
  std::ofstream(folder / "table.tsv", std::ios::binary)
      << "set\ttitle\tyear\tmanufacturer\tcrc32\tsha1\tlayout\n"
      << "../escape\tEscape\t1990\tNobody\t" << TableHashes(unknown) << "\tmame\n";
  ChildSetUp piped;
  piped.input = "\n";
  const CliRun run = RunChild(ArchiveArgs({"unknown.prm"}), piped);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"archive.tsv", unknownName}));
  EXPECT_FALSE(std::filesystem::exists(folder / "escape.prm"));
}

TEST_F(Archive, CtrlCDuringAReadExits130AndLeavesTheLogWhole) {
  ChildSetUp ctrlC;
  ctrlC.input = "\n\n\n";
  ctrlC.signalWhenErrShows = "Chip 2: ";  // the second chip's progress bar: its read is under way
  ctrlC.signal = SIGINT;
  const CliRun run = RunChild(ArchiveArgs({"nss-chip.prm", "unknown.prm"}), ctrlC);
  EXPECT_EQ(run.status, 130) << run.err;
  // One bar spans both reads of a chip.
  EXPECT_NE(run.err.find("Chip 1: Reading PROM data... (2 of 2) [################"),
            std::string::npos);
  EXPECT_NE(run.err.find("/256"), std::string::npos);
  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"archive.tsv", "nss_test.nss"}));
  const std::vector<std::vector<std::string>> rows = LogRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].back(), "archived");
}

// The chip's number and its reads make a long label; a line as wide as the terminal would wrap and
// scroll a line at each redraw.
TEST_F(Archive, TheProgressLineStaysWithinANarrowTerminal) {
  ChildSetUp narrow;
  narrow.input = "\n";
  narrow.terminalColumns = 40;
  const CliRun run = RunChild(ArchiveArgs({"unknown.prm"}), narrow);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("] 256/256"), std::string::npos) << run.err;
  std::string line;
  for (char c : run.err + '\n') {
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (line.find("/256") != std::string::npos) {
      EXPECT_LT(line.size(), 40u) << line;
    }
    line.clear();
  }
}

// Ctrl-C is how many people leave a loop that waits for them; they still get the summary.
TEST_F(Archive, CtrlCAtThePromptEndsWithTheSummaryAndExits130) {
  ChildSetUp ctrlC;
  ctrlC.holdInput = true;
  ctrlC.signalWhenErrShows = "(q to quit)";
  ctrlC.signal = SIGINT;
  const CliRun run = RunChild(ArchiveArgs({"unknown.prm"}), ctrlC);
  EXPECT_EQ(run.status, 130) << run.err;
  EXPECT_NE(run.out.find("Chips read: 0, archived: 0, already archived: 0, refused: 0\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(LogRows().size(), 1u);
}
#endif

}  // namespace
}  // namespace quarrow::testing
