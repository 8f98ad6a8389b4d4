// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli's commands that need no programmer: show, convert, help, version and usage errors.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

Bytes Counting(std::uint8_t first, std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

Bytes Padded(Bytes bytes) {
  bytes.resize(16, 0x00);
  return bytes;
}

struct ExampleFile {
  const char* name;
  Bytes bytes;
  const char* rawText;
  const char* mameText;
};
void PrintTo(const ExampleFile& c, std::ostream* os) { *os << c.name; }

class ShowExample : public ::testing::TestWithParam<ExampleFile> {};

TEST_P(ShowExample, PrintsTheImageTextAndIdentificationInBothLayouts) {
  const ExampleFile& example = GetParam();
  TempFolder folder;
  const auto path = folder / "example file.bin";
  WriteFileBytes(path, example.bytes);
  const Bytes first16 = Padded(Bytes(example.bytes.begin(),
                                     example.bytes.begin() + std::min<std::size_t>(16, example.bytes.size())));

  // Read as MAME, the image's own MAME bytes are the file's first 16 with missing ones as 00. An
  // empty file's bits are all alike, which no chip's are.
  const std::string unknown = example.bytes.empty() ? kUnknownBrokenDumpLine : kUnknownDumpLine;
  const CliRun mame = RunCli({"show", path.string()});
  EXPECT_EQ(mame.status, 0) << mame.err;
  EXPECT_EQ(mame.out, std::string(example.mameText) + "\n" + IdentificationOfMame(first16) + "\n" + unknown);

  // Read as raw, the hash line is still that of the file's own bytes.
  const CliRun raw = RunCli({"show", path.string(), "--nss"});
  EXPECT_EQ(raw.status, 0) << raw.err;
  EXPECT_EQ(raw.out, std::string(example.rawText) + "\n" + IdentificationOfMame(first16) + "\n" +
                         unknown);

  // A file of the wrong size is still shown, with a note on standard error naming it.
  EXPECT_NE(mame.err.find(path.string()), std::string::npos) << mame.err;
  EXPECT_NE(mame.err.find(std::to_string(example.bytes.size()) + " bytes"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShowExample,
    ::testing::Values(
        ExampleFile{"Empty", {}, "0000000000000000 0000000000000000",
                    "FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"},
        ExampleFile{"FiveBytes", {0x11, 0x22, 0x33, 0x44, 0x55}, "1122334455000000 0000000000000000",
                    "77BB33DD55FFFFFF FFFFFFFFFFFFFFFF"},
        ExampleFile{"TwelveBytes", Counting(0x10, 12), "1011121314151617 18191A1B00000000",
                    "F777B737D7579717 E767A727FFFFFFFF"},
        ExampleFile{"TwentyBytes", Counting(0x10, 20), "1011121314151617 18191A1B1C1D1E1F",
                    "F777B737D7579717 E767A727C7478707"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Show, ShippedSampleHasTheSimulatorsTextAndKnownIdentification) {
  // Constants checked with sha1sum and a separate CRC-32 tool.
  const CliRun run = RunCli({"show", QUARROW_SAMPLES_DIR "/sample.prm"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "0123456789ABCDEF FEDCBA9876543210\n"
            "CRC(6caff5d8) SHA1(6f041ee1cbe84653237a6d0c925ef5c5da982242)\n" +
                std::string(kUnknownDumpLine));
  EXPECT_EQ(run.err, "");
}

TEST(Convert, RandomImagesRoundTripBetweenTheLayouts) {
  std::mt19937 random(4242);
  TempFolder folder;
  for (int i = 0; i < 3; ++i) {
    Bytes mame(16);
    for (auto& b : mame) b = static_cast<std::uint8_t>(random());
    WriteFileBytes(folder / "in.prm", mame);

    const CliRun toNss = RunCli({"convert", (folder / "in.prm").string(), (folder / "out.bin").string(),
                              "--to", "nss"});
    ASSERT_EQ(toNss.status, 0) << toNss.err;
    EXPECT_EQ(ReadFileBytes(folder / "out.bin"), InvertMirrorBytes(mame));

    const CliRun back = RunCli({"convert", (folder / "out.bin").string(),
                             (folder / "back ü.prm").string(), "--to", "mame"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadFileBytes(folder / "back ü.prm"), mame);

    // Both files show the same image, each with its own bytes' hashes.
    EXPECT_EQ(RunCli({"show", "--nss", (folder / "out.bin").string()}).out,
              TextOfRaw(InvertMirrorBytes(mame)) + "\n" +
                  IdentificationOfMame(InvertMirrorBytes(mame)) + "\n" + kUnknownDumpLine);
    EXPECT_EQ(RunCli({"show", (folder / "in.prm").string()}).out,
              TextOfRaw(InvertMirrorBytes(mame)) + "\n" + IdentificationOfMame(mame) + "\n" +
                  kUnknownDumpLine);
  }
}

TEST(Usage, HelpAndVersionSucceed) {
  const CliRun help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"show", "identify", "convert", "list", "read", "compare", "--known-dumps",
                           "Exit status", "Examples"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  // A test aid, not an option for users.
  EXPECT_EQ(help.out.find("simulate-fault"), std::string::npos);
  // The variable as the system's shell spells it.
#ifdef _WIN32
  EXPECT_NE(help.out.find("%QUARROW_KNOWN_DUMPS%"), std::string::npos);
  EXPECT_NE(help.out.find("set QUARROW_KNOWN_DUMPS=FILE"), std::string::npos);
  EXPECT_EQ(help.out.find("$QUARROW_"), std::string::npos);
#else
  EXPECT_NE(help.out.find("$QUARROW_KNOWN_DUMPS"), std::string::npos);
#endif
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("2.0.0"), std::string::npos);
}

class UsageError : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageError, ExitsTwoWithOneLineOnStandardError) {
  const CliRun run = RunCli(GetParam());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageError,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
                      std::vector<std::string>{"show"},
                      std::vector<std::string>{"show", "a.prm", "--frobnicate"},
                      std::vector<std::string>{"convert", "a", "b"},
                      std::vector<std::string>{"convert", "a", "b", "--to", "xml"},
                      std::vector<std::string>{"read", "--nss"},
                      std::vector<std::string>{"--simulate", "--simulate-image", "a.prm", "list"},
                      std::vector<std::string>{"--simulate-fault", "melted", "list"},
                      // An unset variable in a script must not mean "no file" or "no simulation".
                      std::vector<std::string>{"read", "-o", ""},
                      std::vector<std::string>{"--simulate-image", "", "read"},
                      std::vector<std::string>{"convert", "", "b", "--to", "nss"}),
    // The words of the command line, with the position first so that two lines never share a name.
    [](const auto& info) {
      std::string name = std::to_string(info.index) + "_";
      if (info.param.empty()) name += "NoArguments";
      for (const std::string& arg : info.param) {
        bool wordStart = true;
        for (char c : arg) {
          if (std::isalnum(static_cast<unsigned char>(c))) {
            name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            wordStart = false;
          } else {
            wordStart = true;
          }
        }
        if (arg.empty()) name += "Empty";
      }
      return name;
    });

// A pasted page where a value belongs is quoted cut short, wherever it is refused.
TEST(Usage, ARefusedValueIsNotEchoedWhole) {
  const std::string flood(100000, 'x');
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"convert", "a", "b", "--to", flood},
        std::vector<std::string>{"--pins", "clock=D0,reset=D1,data=" + flood, "list"},
        std::vector<std::string>{flood}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_LT(run.err.size(), 400u) << run.err.substr(0, 400);
  }
}

TEST(Usage, AWordWhereTheCommandBelongsIsNamedAsNotACommand) {
  const CliRun run = RunCli({"--simulate", "bogus"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("'bogus' is not a command"), std::string::npos) << run.err;
}

// A hostile name can neither split the one-line error nor send escape sequences to the terminal.
TEST(FileErrors, FileNamesAreShownWithControlCharactersEscaped) {
  TempFolder folder;
  const std::string name = (folder / "a\nb\x1B[2J.prm").string();
  const CliRun run = RunCli({"show", name});
  EXPECT_EQ(run.status, 3);
#ifdef _WIN32
  // Windows refuses such a name with a reason of its own; the name is still shown escaped.
  EXPECT_NE(run.err.find("a\\nb\\e[2J.prm: "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
#else
  EXPECT_EQ(run.err, "Can't open file - " + folder.path().string() +
                         "/a\\nb\\e[2J.prm: No such file or directory\n");
#endif
}

// Every file error is one line that names the path and gives the reason, with nothing on standard
// output, and leaves the output file untouched.
TEST(FileErrors, ExitThreeNamingThePathAndTheReason) {
  TempFolder folder;
  const std::string missing = (folder / "no such.prm").string();
  const std::string inMissingFolder = (folder / "gone" / "out.prm").string();
  WriteFileBytes(folder / "good.prm", Bytes(16, 0x33));
  WriteFileBytes(folder / "keep.bin", Bytes(7, 0x77));

  struct Case {
    std::vector<std::string> args;
    std::string expectedError;
  } cases[] = {
      {{"show", missing}, "Can't open file - " + missing + ": " + NoSuchFileText() + "\n"},
      {{"show", folder.path().string()},
       "Can't open file - " + folder.path().string() + ": it is a folder, not an image file\n"},
      {{"convert", missing, (folder / "keep.bin").string(), "--to", "nss"},
       "Can't open file - " + missing + ": " + NoSuchFileText() + "\n"},
      {{"convert", (folder / "good.prm").string(), inMissingFolder, "--to", "nss"},
       "Can't save file - " + inMissingFolder + ": folder " + (folder / "gone").string() + ": " +
           NoSuchFolderText() + "\n"},
      {{"--simulate-image", missing, "read"},
       "Can't open file - " + missing + ": " + NoSuchFileText() + "\n"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.status, 3) << c.args[0];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.expectedError);
  }
  EXPECT_EQ(ReadFileBytes(folder / "keep.bin"), Bytes(7, 0x77));
}

// Windows has no device like /dev/full that takes an open but refuses every write.
#ifndef _WIN32
TEST(OutputErrors, ResultThatCannotBeWrittenIsNotASuccess) {
  const CliRun run = RunCli({"show", QUARROW_SAMPLES_DIR "/sample.prm"}, "/dev/full");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
}
#endif

}  // namespace
}  // namespace quarrow::testing
