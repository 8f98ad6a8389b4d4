// SPDX-License-Identifier: GPL-3.0-or-later
// read --trace and selftest --trace: the trace opens in Debian's sigrok-cli and shows the very bits
// the read gave, and its file is checked and written as the image files are.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

std::string FileText(const std::filesystem::path& path) {
  const Bytes bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

#ifndef _WIN32
// sigrok-cli on PATH, or empty.
std::string SigrokCli() {
  const char* path = std::getenv("PATH");
  for (const std::string& folder : Split(path != nullptr ? path : "", ':')) {
    const std::filesystem::path program = std::filesystem::path(folder) / "sigrok-cli";
    if (!folder.empty() && ::access(program.c_str(), X_OK) == 0) return program.string();
  }
  return {};
}

TEST(Trace, ARecordedReadOpensInSigrokWith128ClockPulsesSamplingTheImageRead) {
  const std::string sigrok = SigrokCli();
  if (sigrok.empty()) GTEST_SKIP() << "sigrok-cli is not installed (scripts/install-deps installs it)";
  TempFolder folder;
  const Bytes chip = RandomBytes(21);
  WriteFileBytes(folder / "chip.prm", chip);
  const auto trace = folder / "read.vcd";
  const CliRun read = RunCli({"--simulate-image", (folder / "chip.prm").string(), "read", "--trace",
                              trace.string(), "--nss", "-o", (folder / "dump.bin").string()});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.err.find("Pin trace saved to - " + trace.string() + "\n"), std::string::npos) << read.err;

  // One row per change of any pin, the channels named in the first.
  ChildSetUp setUp;
  setUp.program = sigrok;
  const CliRun samples = RunChild(
      {"-I", "vcd", "-i", trace.string(), "-O", "csv:header=false:label=channel:dedup=true:time=true"}, setUp);
  ASSERT_EQ(samples.status, 0) << samples.err;
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : Split(samples.out, '\n')) {
    if (line.find(',') != std::string::npos) rows.push_back(Split(line + ",", ','));
  }
  ASSERT_GT(rows.size(), 1u) << samples.out;
  const auto column = [&](const std::string& name) {
    return std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin();
  };
  const auto clock = column("clock"), data = column("data");
  ASSERT_LT(data, static_cast<long>(rows[0].size())) << samples.out;

  // Each bit is the data level just before the clock falls.
  const Bytes raw = ReadFileBytes(folder / "dump.bin");
  int falling = 0, rising = 0;
  for (std::size_t i = 2; i < rows.size(); ++i) {
    if (rows[i][clock] == rows[i - 1][clock]) continue;
    if (rows[i][clock] == "1") {
      ++rising;
      continue;
    }
    if (falling < 128) {
      const bool bit = (raw[falling / 8] >> (falling % 8)) & 1;
      EXPECT_EQ(rows[i - 1][data], bit ? "1" : "0") << "bit " << falling;
    }
    ++falling;
  }
  EXPECT_EQ(falling, 128);
  EXPECT_EQ(rising, 128);
}
#endif

TEST(Trace, IsCheckedBeforeTheReadAndWrittenAfterAFailedOne) {
  TempFolder folder;
  const auto missing = folder / "gone" / "read.vcd";
  const CliRun early = RunCli({"--simulate", "read", "--trace", missing.string()});
  EXPECT_EQ(early.status, 3);
  EXPECT_EQ(early.out, "");
  EXPECT_EQ(early.err.rfind("Can't save file - " + missing.string() + ": folder ", 0), 0u) << early.err;

  // An existing file is replaced whole, also by the trace of a read that failed half-way.
  const auto trace = folder / "read.vcd";
  WriteFileBytes(trace, Bytes(100, 'x'));
  const CliRun failed = RunCli({"--simulate-fault", "reads-fail", "read", "--trace", trace.string()});
  EXPECT_EQ(failed.status, 3);
  EXPECT_EQ(failed.out, "");
  const std::string text = FileText(trace);
  EXPECT_EQ(text.rfind("$comment Quarrow pin trace: clock=D0,reset=D1,data=D4;", 0), 0u) << text;
  EXPECT_EQ(text.find('\n' + std::string(100, 'x')), std::string::npos);
}

TEST(Trace, NeverGoesToStandardOutputOrTheImageFileAndASelfTestRecordsTheSameTraceEveryTime) {
  TempFolder folder;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--simulate", "read", "--trace", "-"},
        {"--simulate", "read", "-o", (folder / "a.prm").string(), "--trace", (folder / "a.prm").string()},
        {"--simulate", "selftest", "--trace", "-"}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--trace"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "a.prm"));

  const auto first = folder / "first.vcd", second = folder / "second.vcd";
  for (const auto& trace : {first, second}) {
    const CliRun run = RunCli({"--simulate", "selftest", "--trace", trace.string()});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  EXPECT_EQ(FileText(first), FileText(second));
  EXPECT_NE(FileText(first).find("\n#680000\n"), std::string::npos) << "ends after the check's waits";
}

}  // namespace
}  // namespace quarrow::testing
