// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli's identification: tables given by option or environment, malformed tables, the
// identify command, diagnoses and --json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

// The child inherits the variable; the platforms spell setting and clearing it differently.
void SetTableVariable(const std::string& value) {
#ifdef _WIN32
  // Wide: the narrow call would pass the value through the ANSI code page.
  const std::wstring wide = std::filesystem::path(std::u8string(value.begin(), value.end())).wstring();
  ::_wputenv_s(L"QUARROW_KNOWN_DUMPS", wide.c_str());  // an empty value removes it
#else
  if (value.empty()) {
    ::unsetenv("QUARROW_KNOWN_DUMPS");
  } else {
    ::setenv("QUARROW_KNOWN_DUMPS", value.c_str(), 1);
  }
#endif
}

constexpr const char* kTableHeader = "set\ttitle\tyear\tmanufacturer\tcrc32\tsha1\tlayout\n";
constexpr const char* kAllZerosDiagnosis =
    "Every bit reads 0 - there is probably no chip in the socket, its data line is not connected, "
    "or the programmer is wired to other pins than the tool uses (check the wiring)\n";

class CliIdentify : public ::testing::Test {
 protected:
  CliIdentify() {
    WriteFileBytes(folder / "chip.bin", raw);
    std::ofstream(folder / "table.tsv", std::ios::binary)
        << kTableHeader << "nss_test\tTest Game (Nintendo Super System)\t1992\tOcean\t"
        << TableHashes(raw) << "\traw\n";
  }

  TempFolder folder;
  const Bytes raw = RandomBytes(77);
  const std::string chip = (folder / "chip.bin").string();
  const std::string table = (folder / "table.tsv").string();
};

TEST_F(CliIdentify, TableFromOptionOrEnvironmentNamesTheDumpAlsoInTheOtherLayout) {
  const std::string known = "Known dump: nss_test, Test Game (Nintendo Super System), Ocean 1992\n";
  const CliRun option = RunCli({"--known-dumps", table, "identify", chip, "--nss"});
  EXPECT_EQ(option.status, 0) << option.err;
  EXPECT_EQ(option.out, known);

  SetTableVariable(table);
  const CliRun environment = RunCli({"identify", chip, "--nss"});
  const CliRun otherLayout = RunCli({"identify", chip});
  SetTableVariable("");
  EXPECT_EQ(environment.out, known);
  EXPECT_EQ(otherLayout.status, 0);
  EXPECT_EQ(otherLayout.out.rfind("Known dump: nss_test, ", 0), 0u) << otherLayout.out;

  // Without a table of its own, the built-in one knows nothing of this image.
  EXPECT_EQ(RunCli({"identify", chip, "--nss"}).out, kUnknownDumpLine);
}

// Names outside Windows' ANSI code page: Latin beyond it, Cyrillic, Han.
TEST_F(CliIdentify, TablesNamedInAnyScriptAreReadByOptionAndEnvironment) {
  const std::string known = "Known dump: nss_test, Test Game (Nintendo Super System), Ocean 1992\n";
  std::filesystem::create_directory(folder / "Папка");
  for (const char* name : {"Ränder.tsv", "таблица.tsv", "表.tsv", "Папка/Šimon.tsv"}) {
    std::filesystem::copy_file(folder / "table.tsv", folder / name);
    const CliRun run = RunCli({"--known-dumps", (folder / name).string(), "identify", chip, "--nss"});
    EXPECT_EQ(run.out, known) << name << ": " << run.err;
  }
  SetTableVariable((folder / "Папка/Šimon.tsv").string());
  const CliRun environment = RunCli({"identify", chip, "--nss"});
  SetTableVariable("");
  EXPECT_EQ(environment.out, known) << environment.err;
}

// A table that cannot be used stops the command before any chip is read.
TEST_F(CliIdentify, MalformedTableExitsThreeNamingTheFileAndLine) {
  std::ofstream(folder / "bad.tsv", std::ios::binary) << kTableHeader << "pc_x\tX\t1985\n";
  const std::string bad = (folder / "bad.tsv").string();
  const std::string expected =
      "Can't read the table of known dumps - " + bad +
      ":2: 3 fields where the header names 7 (fields are separated by tabs)\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--known-dumps", bad, "show", chip},
        std::vector<std::string>{"--known-dumps", bad, "--simulate-fault", "reads-fail", "read"}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, expected);
  }
}

// A table is outside text: its set names, titles, years and makers must not drive the terminal.
TEST_F(CliIdentify, TableTextIsPrintedEscapedByEveryCommand) {
  const std::string hostile[] = {"s\x1b[2Jx", std::string("t\x07\rT"), std::string("1\0", 2),
                                 "m\xff"};
  std::ofstream(folder / "hostile.tsv", std::ios::binary)
      << kTableHeader << hostile[0] << '\t' << hostile[1] << '\t' << hostile[2] << '\t'
      << hostile[3] << '\t' << TableHashes(raw) << "\traw\n";
  const std::string hostileTable = (folder / "hostile.tsv").string();
  WriteFileBytes(folder / "chip.prm", InvertMirrorBytes(raw));
  const std::string chipMame = (folder / "chip.prm").string();
  const std::string escaped = "Known dump: s\\e[2Jx, t\\x07\\rT, m\\xFF 1\\x00\n";

  const std::vector<std::string> commands[] = {
      {"identify", chip, "--nss"},
      {"show", chip, "--nss"},
      {"--simulate-image", chipMame, "read"},
      {"--simulate-image", chipMame, "compare", chip, "--nss"}};
  for (const std::vector<std::string>& command : commands) {
    std::vector<std::string> args = {"--known-dumps", hostileTable};
    args.insert(args.end(), command.begin(), command.end());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 0) << command[0] << ": " << run.err;
    EXPECT_NE(run.out.find(escaped), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find_first_of(std::string("\x1b\x07\r\0\xff", 5)), std::string::npos)
        << command[0];
  }
}

#ifndef _WIN32
// The table's path and its bad field are outside text too, and the message stays one line.
TEST_F(CliIdentify, TableErrorIsOneEscapedLine) {
  const std::string name = (folder / "t\x1b\nx.tsv").string();
  std::ofstream(name, std::ios::binary)
      << kTableHeader << "pc_x\tX\t1985\tN\t\x1b[2J\t" << std::string(40, '0') << "\tmame\n";
  ChildSetUp setUp;
  setUp.environment = {"QUARROW_KNOWN_DUMPS=" + name};
  const CliRun run = RunChild({"identify", chip}, setUp);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "Can't read the table of known dumps - " + folder.path().string() +
                         "/t\\e\\nx.tsv:2: crc32 '\\e[2J' is not 8 hexadecimal digits\n");
}
#endif

TEST_F(CliIdentify, JsonHoldsBothLayoutsTheIdentificationAndTheDiagnosis) {
  // All bytes FF in the MAME layout: every bit 0. The name is not UTF-8, which JSON text must be;
  // Windows names are UTF-16 and always reach the program as valid UTF-8.
#ifdef _WIN32
  const std::string file = (folder / "ones.prm").string();
#else
  const std::string file = (folder / "ones \xff.prm").string();
#endif
  const Bytes ones(16, 0xff);
  WriteFileBytes(file, ones);

  const CliRun text = RunCli({"show", file});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out,
            TextOfRaw(Bytes(16, 0)) + "\n" + IdentificationOfMame(ones) + "\n" +
                kUnknownBrokenDumpLine);
  EXPECT_EQ(text.err, kAllZerosDiagnosis);

  const CliRun run = RunCli({"show", file, "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["command"], "show");
  EXPECT_EQ(report["image"], "0000000000000000 0000000000000000");
  EXPECT_EQ(report["mame"]["hex"], std::string(32, 'f'));
  EXPECT_EQ(report["raw"]["hex"], std::string(32, '0'));
  EXPECT_EQ("CRC(" + report["mame"]["crc32"].get<std::string>() + ") SHA1(" +
                report["mame"]["sha1"].get<std::string>() + ")",
            IdentificationOfMame(ones));
  EXPECT_EQ(report["identification"]["result"], "unknown");
  EXPECT_EQ(report["identification"]["table_dumps"], 64);
  ASSERT_EQ(report["diagnosis"].size(), 1u);
  EXPECT_EQ(report["diagnosis"][0]["kind"], "all-zeros");
  EXPECT_EQ(report["outcome"], "ok");

  const nlohmann::json known = nlohmann::json::parse(
      RunCli({"--known-dumps", table, "identify", chip, "--nss", "--json"}).out);
  EXPECT_EQ(known["identification"]["result"], "known-dump");
  EXPECT_EQ(known["identification"]["sets"][0]["set"], "nss_test");
  EXPECT_EQ(known["identification"]["sets"][0]["layout"], "raw");
}

TEST_F(CliIdentify, ReadOfAnEmptySocketIsShownAndDiagnosedInJson) {
  WriteFileBytes(folder / "ones.prm", Bytes(16, 0xff));
  const CliRun run = RunCli({"--simulate-image", (folder / "ones.prm").string(), "read", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["command"], "read");
  EXPECT_EQ(report["image"], "0000000000000000 0000000000000000");
  EXPECT_EQ(report["diagnosis"][0]["kind"], "all-zeros");
  EXPECT_EQ(report["outcome"], "ok");
}

}  // namespace
}  // namespace quarrow::testing
