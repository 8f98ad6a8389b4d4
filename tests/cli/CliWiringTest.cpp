// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli with programmers wired other ways: --pins, --invert-data, QUARROW_PINS, chips with
// fewer pins, other families' pin names, and the wiring self-test, against simulated boards.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

constexpr const char* kSampleText = "0123456789ABCDEF FEDCBA9876543210\n";
const std::vector<std::string> kRtsBoard = {"--simulate-pins", "clock=D2,reset=D3,data=D6",
                                            "--simulate-invert-data"};

std::vector<std::string> On(std::vector<std::string> board, const std::vector<std::string>& rest) {
  board.insert(board.end(), rest.begin(), rest.end());
  return board;
}

TEST(Wiring, ABoardWiredToRtsCtsDcdThroughAnInverterReadsWhenToldSoAndSaysWhyWhenNot) {
  const CliRun told = RunCli(On(kRtsBoard, {"--pins", "clock=RTS,reset=CTS,data=DCD", "--invert-data", "read"}));
  ASSERT_EQ(told.status, 0) << told.err;
  EXPECT_EQ(told.out.substr(0, 34), kSampleText);

  // Untold, the tool reads D4, an input nothing drives, which floats high.
  const CliRun untold = RunCli(On(kRtsBoard, {"read"}));
  EXPECT_EQ(untold.out.substr(0, 34), "FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF\n") << untold.out;
  EXPECT_NE(untold.err.find("wired to other pins than the tool uses"), std::string::npos) << untold.err;
}

TEST(Wiring, SelfTestFindsThePlausibleWiringAndNamesTheFaultOfAWrongOne) {
  const CliRun good = RunCli({"--simulate", "selftest"});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.out.substr(good.out.rfind('\n', good.out.size() - 2) + 1), "Wiring plausible\n");

  const CliRun bad = RunCli(On(kRtsBoard, {"selftest", "--json"}));
  EXPECT_EQ(bad.status, 3) << bad.err;
  const nlohmann::json report = nlohmann::json::parse(bad.out);
  EXPECT_EQ(report["outcome"], "fault");
  EXPECT_EQ(report["findings"][2]["text"],
            "data (D4): never changes - no chip, the chip is not powered, the wrong data pin, or a "
            "blank chip");
}

TEST(Wiring, SelfTestNamesClockAndResetSwappedAndADataLineOnAnotherPinWithThePinsThatReadThem) {
  const CliRun swapped = RunCli({"--simulate-pins", "clock=D1,reset=D0,data=D4", "selftest"});
  EXPECT_EQ(swapped.status, 3) << swapped.err;
  EXPECT_NE(swapped.out.find("\nWiring fault likely: clock and reset swapped: the chip answers on D4 - the "
                             "clock and reset pins are probably crossed; read it with --pins "
                             "clock=D1,reset=D0,data=D4\n"),
            std::string::npos)
      << swapped.out;

  const CliRun elsewhere = RunCli({"--simulate-chip", "FT232H", "--simulate-pins", "clock=D0,reset=D1,data=D2",
                                   "--pins", "clock=AD0,reset=AD1,data=AD3", "--invert-data", "selftest", "--json"});
  EXPECT_EQ(elsewhere.status, 3) << elsewhere.err;
  const nlohmann::json report = nlohmann::json::parse(elsewhere.out);
  EXPECT_EQ(report["findings"][3]["pin"], "D2");
  EXPECT_EQ(report["findings"][3]["fix"]["pins"], "clock=D0,reset=D1,data=D2");
  EXPECT_EQ(report["verdict"],
            "Wiring fault likely: D2 (input): changes as a chip's data line would - the PROM's data line is "
            "probably wired to this pin, not to the data pin; read it with --pins clock=D0,reset=D1,data=D2 "
            "--invert-data");
  EXPECT_EQ(report["findings"][4]["text"].get<std::string>().rfind("data (D2, inverted): its polarity cannot be seen", 0), 0u);
}

TEST(Wiring, AFourPinChipRefusesPinsItLacksAndWorksWithinThem) {
  const CliRun refused = RunCli({"--simulate-chip", "FT230X", "--pins", "clock=D0,reset=D1,data=D4", "read"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("FT230X has the bit-bang pins D0-D3 only"), std::string::npos) << refused.err;

  const CliRun fits = RunCli({"--simulate-chip", "FT230X", "--simulate-pins", "clock=D0,reset=D1,data=D3",
                              "--pins", "clock=TXD,reset=RXD,data=CTS", "selftest"});
  EXPECT_EQ(fits.status, 0) << fits.out << fits.err;
}

TEST(Wiring, AnAssignmentThatCannotBeWiredIsAUsageErrorSayingWhich) {
  const CliRun twice = RunCli({"--simulate", "--pins", "clock=D0,reset=D0,data=D4", "list"});
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err,
            "quarrow-cli: --pins: pin D0 is given to both the clock and the reset line (see "
            "quarrow-cli --help)\n");
#ifndef _WIN32
  ChildSetUp broken;
  broken.environment = {"QUARROW_PINS=clock=D0,reset=D1"};
  const CliRun fromEnvironment = RunChild({"--simulate", "list"}, broken);
  EXPECT_EQ(fromEnvironment.status, 2);
  EXPECT_NE(fromEnvironment.err.find("QUARROW_PINS: the data line is missing"), std::string::npos);
  // The option wins over the variable.
  EXPECT_EQ(RunChild({"--simulate", "--pins", "clock=D0,reset=D1,data=D4", "list"}, broken).status, 0);
#endif
}

#ifndef _WIN32
TEST(Wiring, AWiringStoredForTheProgrammerIsUsedAndSaidUnlessPinsAreGiven) {
  TempFolder settings;
  ChildSetUp setUp;
  setUp.environment = {"XDG_CONFIG_HOME=" + settings.path().string()};
  const std::string file = (settings.path() / "quarrow" / "wiring.conf").string();
  const std::string rts = "clock=D2,reset=D3,data=D6, data inverted\n";

  const CliRun stored =
      RunChild({"wiring", "QSIM0001", "--pins", "clock=RTS,reset=CTS,data=DCD", "--invert-data"}, setUp);
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_EQ(stored.out, "Stored the wiring for QSIM0001 in " + file + ": " + rts);
  EXPECT_EQ(RunChild({"wiring"}, setUp).out, "Wiring file: " + file + "\nQSIM0001: " + rts);

  const CliRun used = RunChild(On(kRtsBoard, {"selftest", "--json"}), setUp);
  EXPECT_EQ(used.status, 0) << used.err;
  EXPECT_EQ(nlohmann::json::parse(used.out)["pins"], "clock=D2,reset=D3,data=D6");
  EXPECT_EQ(used.err, "Using the wiring stored for QSIM0001 in " + file + ": " + rts);
  // --pins and QUARROW_PINS win, without a word about the file.
  const CliRun told = RunChild(On(kRtsBoard, {"--pins", "clock=D0,reset=D1,data=D4", "selftest"}), setUp);
  EXPECT_EQ(told.status, 3);
  EXPECT_EQ(told.err, "");
  ChildSetUp variable = setUp;
  variable.environment.push_back("QUARROW_PINS=clock=D0,reset=D1,data=D4");
  EXPECT_EQ(RunChild(On(kRtsBoard, {"selftest"}), variable).status, 3);

  const CliRun forgotten = RunChild({"wiring", "QSIM0001", "--forget"}, setUp);
  EXPECT_EQ(forgotten.out, "Dropped the wiring stored for QSIM0001 in " + file + "\n");
  EXPECT_EQ(RunChild(On(kRtsBoard, {"selftest"}), setUp).status, 3);
  EXPECT_EQ(RunChild({"wiring", "QSIM0001"}, setUp).out,
            "Wiring file: " + file + "\nQSIM0001: nothing stored (the default board: clock=D0,reset=D1,data=D4)\n");
}

TEST(Wiring, ACh341aAndAGpioChipTakeTheirOwnPinNamesAndStoreAGpioWiringAsChipOffset) {
  const CliRun socket = RunCli({"--simulate-chip", "CH341A", "--simulate-pins", "clock=D3,reset=D0,data=D7", "--pins",
                                "clock=CLK,reset=CS,data=MISO", "read"});
  EXPECT_EQ(socket.status, 0) << socket.err;
  EXPECT_EQ(socket.out.substr(0, 34), kSampleText);

  TempFolder settings;
  ChildSetUp setUp;
  setUp.environment = {"XDG_CONFIG_HOME=" + settings.path().string()};
  const std::vector<std::string> pi = {"--simulate-chip", "gpio", "--simulate-pins",
                                       "clock=gpiochip0:17,reset=gpiochip0:27,data=gpiochip0:22"};
  const CliRun stored = RunChild(On(pi, {"wiring", "gpiochip0", "--pins", "clock=GPIO17,reset=GPIO27,data=GPIO22"}), setUp);
  EXPECT_EQ(stored.status, 0) << stored.err;
  EXPECT_NE(stored.out.find(": clock=gpiochip0:17,reset=gpiochip0:27,data=gpiochip0:22\n"), std::string::npos)
      << stored.out;
  const CliRun read = RunChild(On(pi, {"read"}), setUp);
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out.substr(0, 34), kSampleText);
}

TEST(Wiring, ADamagedWiringFileStopsTheCommandNamingTheFileAndLine) {
  TempFolder settings;
  ChildSetUp setUp;
  setUp.environment = {"XDG_CONFIG_HOME=" + settings.path().string()};
  std::filesystem::create_directory(settings.path() / "quarrow");
  const std::string file = (settings.path() / "quarrow" / "wiring.conf").string();
  WriteFileBytes(file, Bytes{'[', 'd', 'e', 'f', 'a', 'u', 'l', 't', ']', '\n', 'p', 'i', 'n', 's', '=', 'D', '0', '\n'});

  const CliRun refused = RunChild({"--simulate", "selftest"}, setUp);
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "Can't read the stored wirings - " + file +
                             ":2: \"D0\" is not LINE=PIN (expected clock=PIN,reset=PIN,data=PIN) (mend or remove "
                             "the file, or give --pins)\n");
  EXPECT_EQ(RunChild({"wiring", "A1", "--pins", "clock=D0,reset=D1,data=D2"}, setUp).status, 3)
      << "a damaged file is not replaced";
  EXPECT_EQ(RunChild({"--simulate", "--pins", "clock=D0,reset=D1,data=D4", "selftest"}, setUp).status, 0);
}
#endif

}  // namespace
}  // namespace quarrow::testing
