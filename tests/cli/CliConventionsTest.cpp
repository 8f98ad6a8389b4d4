// SPDX-License-Identifier: GPL-3.0-or-later
// The conventions quarrow-cli shares with the programmer tools people know: -v and -q, --json for
// the lists, -o - for standard output, and list-chips.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

#include <string>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

TEST(Verbose, ShowsTheBackEndsStepsWithItsOwnWordsForAFailure) {
  const CliRun run = RunCli({"-v", "--simulate-fault", "busy", "read"});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("quarrow-cli: list -> ok, 1 programmers\n"), std::string::npos) << run.err;
  // The failing open, with what the back end said about it.
  EXPECT_NE(run.err.find("quarrow-cli: open \"QSIM0001\", outputs 0x3 -> failed, "), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(": simulated programmer: the USB device is in use by another program "
                         "(or already connected here)\n"),
            std::string::npos)
      << run.err;
}

TEST(Verbose, AndQuietTogetherAreAUsageError) {
  const CliRun run = RunCli({"-v", "-q", "--simulate", "list"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
}

TEST(List, TheSimulationPosesAsEachFamilyAndReadsThroughIt) {
  const struct {
    const char* pose;
    const char* family;
    const char* chip;
    const char* serial;
    const char* board;  // where the simulated PROM is
    const char* pins;   // the same, as the programmer names its pins
  } poses[] = {{"CH341A", "CH341A", "CH341A", "1-4", "clock=D3,reset=D0,data=D7", "clock=CLK,reset=CS,data=MISO"},
               {"gpio", "GPIO", "pinctrl-bcm2835", "gpiochip0", "clock=gpiochip0:17,reset=gpiochip0:27,data=gpiochip0:22",
                "clock=GPIO17,reset=GPIO27,data=GPIO22"}};
  for (const auto& p : poses) {
    const CliRun list = RunCli({"--simulate-chip", p.pose, "list", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    const nlohmann::json found = nlohmann::json::parse(list.out)["programmers"];
    ASSERT_EQ(found.size(), 1u) << list.out;
    EXPECT_EQ(found[0]["family"], p.family);
    EXPECT_EQ(found[0]["chip"], p.chip);
    const CliRun read = RunCli({"--simulate-chip", p.pose, "--simulate-pins", p.board, "read", "--device", p.serial,
                                "--pins", p.pins});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out.substr(0, 33), "0123456789ABCDEF FEDCBA9876543210") << p.pose;
  }
}

TEST(List, JsonNamesEachProgrammersSerialChipAndPort) {
  const CliRun run = RunCli({"--simulate", "--simulate-chip", "FT2232H", "list", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["command"], "list");
  // Each port of a two-port chip is a programmer of its own.
  ASSERT_EQ(report["programmers"].size(), 2u) << run.out;
  std::string lines;
  for (const nlohmann::json& programmer : report["programmers"]) {
    EXPECT_EQ(programmer["chip"], "FT2232H");
    const std::string serial = programmer["serial"], text = programmer["text"];
    EXPECT_EQ(serial.back(), programmer["port"].get<std::string>()[0]) << serial;
    EXPECT_EQ(text.rfind(serial + " - ", 0), 0u) << text;
    lines += text + "\n";
  }
  EXPECT_EQ(report["programmers"][1]["port"], "B");
  // The lines the text list prints, in its order.
  EXPECT_EQ(RunCli({"--simulate", "--simulate-chip", "FT2232H", "list"}).out, lines);
}

TEST(ListChips, NamesEachPortsPinsAsBoardsPrintThem) {
  const CliRun run = RunCli({"list-chips"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("FT232R 0403:6001    port A: D0=TXD D1=RXD D2=RTS D3=CTS D4=DTR D5=DSR "
                         "D6=DCD D7=RI\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n                    port D: D0=DDBUS0 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("FT234XD 0403:6015   port A: D0=TXD D1=RXD D2=RTS D3=CTS\n"),
            std::string::npos)
      << run.out;
}

TEST(ListChips, JsonHoldsEveryChipWithItsPorts) {
  const CliRun run = RunCli({"list-chips", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json chips = nlohmann::json::parse(run.out)["chips"];
  ASSERT_EQ(chips.size(), 9u);
  const nlohmann::json& ft2232h = chips[4];
  EXPECT_EQ(ft2232h["chip"], "FT2232H");
  EXPECT_EQ(ft2232h["usb_id"], "0403:6010");
  ASSERT_EQ(ft2232h["ports"].size(), 2u);
  EXPECT_EQ(ft2232h["ports"][1]["port"], "B");
  EXPECT_EQ(ft2232h["ports"][1]["pins"]["D7"], "BDBUS7");
}

// Pipes, terminals and the file-size-free children are POSIX's.
#ifndef _WIN32
TEST(Read, DashWritesTheImagesBytesToStandardOutputAndTheTextToStandardError) {
  const Bytes sample = ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm");
  const CliRun run = RunChild({"--simulate", "read", "-o", "-"}, {});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string(sample.begin(), sample.end()));
  EXPECT_EQ(run.err, TextOfRaw(InvertMirrorBytes(sample)) + "\n" + IdentificationOfMame(sample) +
                         "\n" + kUnknownDumpLine);
  EXPECT_FALSE(std::filesystem::exists("-"));
}

TEST(Read, DashIsRefusedOnATerminalOrClosedOutputAndBesideJson) {
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(::grantpt(terminal), 0);
  ASSERT_EQ(::unlockpt(terminal), 0);
  ChildSetUp onTerminal;
  onTerminal.stdoutPath = ::ptsname(terminal);
  const CliRun screen = RunChild({"--simulate", "read", "-o", "-"}, onTerminal);
  ::close(terminal);
  EXPECT_EQ(screen.status, 2);
  EXPECT_NE(screen.err.find("standard output, which is a terminal"), std::string::npos) << screen.err;

  const CliRun json = RunChild({"--simulate", "read", "-o", "-", "--json"}, {});
  EXPECT_EQ(json.status, 2);
  EXPECT_EQ(json.out, "");
  EXPECT_NE(json.err.find("--output must name another file"), std::string::npos) << json.err;

  // Started with standard output closed, the bytes would go to the null device with status 0.
  ChildSetUp closed;
  closed.outputsClosed = true;
  EXPECT_EQ(RunChild({"--simulate", "read", "-o", "-"}, closed).status, 2);
}

TEST(Quiet, LeavesNoProgressBarOrNoteOnATerminal) {
  TempFolder folder;
  const auto out = folder / "dump.prm";
  ChildSetUp terminal;
  terminal.terminalColumns = 80;
  const CliRun run = RunChild({"-q", "--simulate", "read", "-o", out.string()}, terminal);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.find("0123456789ABCDEF FEDCBA9876543210\n"), 0u) << run.out;
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(QUARROW_SAMPLES_DIR "/sample.prm"));
}
#endif

}  // namespace
}  // namespace quarrow::testing
