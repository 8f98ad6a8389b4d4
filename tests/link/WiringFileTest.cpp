// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring file both programs share: its text both ways, one spelling of a serial, errors that
// name the file and line, and a file that is not a regular one.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <random>

#include "LinkTestSupport.h"
#include "WiringFile.h"
#include "WiringText.h"

namespace quarrow::test {
namespace {

TEST(WiringFile, WritesWhatItReadsWithEachSerialSpelledOneWay) {
  StoredWirings wirings;
  wirings.Store("", Pins("clock=D3,reset=D4,data=D5"));
  wirings.Store("A12BC3DE", Pins("clock=RTS,reset=CTS,data=DCD", true));
  wirings.Store("QS\xFF" "1 ]", Pins("clock=D1,reset=D0,data=D2"));
  // A serial given as the list spells it names the same programmer as its bytes.
  EXPECT_EQ(wirings.Own("QS\\xFF1 ]"), Pins("clock=D1,reset=D0,data=D2"));
  EXPECT_EQ(wirings.For("OTHER"), Pins("clock=D3,reset=D4,data=D5"));

  const std::string text = FormatWirings(wirings);
  EXPECT_NE(text.find("\n[serial QS\\xFF1 ]]\npins = clock=D1,reset=D0,data=D2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n[serial A12BC3DE]\npins = clock=D2,reset=D3,data=D6\ninvert-data = yes\n"),
            std::string::npos);
  StoredWirings read;
  WiringFileProblem error;
  ASSERT_TRUE(ParseWirings(text, "w.conf", read, error)) << WiringFileProblemText(error);
  EXPECT_EQ(read.forAll, wirings.forAll);
  EXPECT_EQ(read.bySerial, wirings.bySerial);
  // As a person may write it by hand, on Windows too.
  ASSERT_TRUE(ParseWirings("# mine\r\n\r\n[serial X1]\r\n  invert-data = no\r\npins=clock=TXD, reset=RXD, data=CTS\r\n",
                           "w.conf", read, error)) << WiringFileProblemText(error);
  EXPECT_EQ(read.For("X1"), Pins("clock=D0,reset=D1,data=D3"));

  EXPECT_TRUE(read.Forget("X1"));
  EXPECT_FALSE(read.Forget("X1"));
  EXPECT_FALSE(read.For("X1"));
}

TEST(WiringFile, ADamagedFileIsRefusedNamingTheFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"[serial A]\npins = clock=D0,reset=D1,data=D9\n", "w.conf:2: unknown pin \"D9\" for the data line"},
      {"pins = clock=D0,reset=D1,data=D4\n", "w.conf:1: a setting before the first [serial SERIAL]"},
      {"[serial A]\ninvert-data = yes\n", "w.conf:1: [serial A] has no pins"},
      {"[serial A]\npins=clock=D0,reset=D1,data=D4\n[serial A]\n", "w.conf:3: [serial A] appears twice (first on line 1)"},
      {"[default]\npins=clock=D0,reset=D1,data=D4\ninvert-data = true\n", "w.conf:3: invert-data is \"true\""},
      {"[defaults]\n", "w.conf:1: \"[defaults]\" is neither"},
      {"[serial A]\ncolour = red\n", "w.conf:2: unknown setting \"colour\""},
      {"[default]\npins=clock=D0,reset=D1,data=D4\npins=clock=D0,reset=D1,data=D4\n",
       "w.conf:3: pins is given twice in [default]"},
      {"[serial A]\nsome words\n", "w.conf:2: \"some words\" is neither [serial SERIAL], [default] nor SETTING"},
  };
  for (const auto& [text, why] : cases) {
    StoredWirings read;
    WiringFileProblem error;
    EXPECT_FALSE(ParseWirings(text, "w.conf", read, error)) << text;
    const std::string said = WiringFileProblemText(error);
    EXPECT_EQ(said.rfind(why, 0), 0u) << text << ": " << said;
  }
  // A megabyte of garbage on one line is quoted cut short, not echoed whole.
  StoredWirings read;
  WiringFileProblem error;
  EXPECT_FALSE(ParseWirings("[serial A]\n" + std::string(100000, 'x') + "\n", "w.conf", read, error));
  EXPECT_LT(WiringFileProblemText(error).size(), 200u);
}

TEST(WiringFile, LoadsNothingFromAMissingFileAndRefusesOneThatIsNoRegularFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quarrow-wiring-" + std::to_string(std::random_device{}()));
  std::filesystem::remove_all(folder);
  const std::filesystem::path file = folder / "quarrow" / "wiring.conf";
  StoredWirings wirings;
  WiringFileProblem error;
  ASSERT_TRUE(LoadWirings(file, wirings, error)) << WiringFileProblemText(error);
  EXPECT_FALSE(wirings.forAll);

  wirings.Store("A12BC3DE", Pins("clock=D2,reset=D3,data=D6"));
  ASSERT_TRUE(SaveWirings(file, wirings, error)) << WiringFileProblemText(error);  // the folder is made
  StoredWirings read;
  ASSERT_TRUE(LoadWirings(file, read, error)) << WiringFileProblemText(error);
  EXPECT_EQ(read.bySerial, wirings.bySerial);

  std::filesystem::remove(file);
#ifndef _WIN32
  // A FIFO nobody writes to would hold a plain read for ever.
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  EXPECT_FALSE(LoadWirings(file, read, error));
  EXPECT_EQ(WiringFileProblemText(error), file.string() + ": it is not a regular file");
  std::filesystem::remove(file);
#endif
  std::filesystem::create_directory(file);
  EXPECT_FALSE(LoadWirings(file, read, error));
  EXPECT_NE(WiringFileProblemText(error).find("it is a folder, not a wiring file"), std::string::npos)
      << WiringFileProblemText(error);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quarrow::test
