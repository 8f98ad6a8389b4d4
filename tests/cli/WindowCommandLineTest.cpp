// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's own command line: it ends with quarrow-cli's exit statuses before any window
// opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

CliRun RunWindowProgram(const std::vector<std::string>& args) {
#ifdef _WIN32
  // The static quarrow.exe has the windows platform only; it ends before opening a window.
  return RunCli(args, {}, QUARROW_APP_PATH);
#else
  // No display at all: the arguments must be answered without one.
  ChildSetUp setUp;
  setUp.program = QUARROW_APP_PATH;
  setUp.environment = {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="};
  return RunChild(args, setUp);
#endif
}

TEST(WindowCommandLine, HelpVersionBadArgumentsAndAnUnreadableChipFileNeedNoDisplay) {
  TempFolder folder;
  const CliRun version = RunWindowProgram({"--version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("Quarrow ", 0), 0u) << version.out;
  const CliRun help = RunWindowProgram({"--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("--simulate-image <FILE>"), std::string::npos) << help.out;
  // Qt's own window options are no unknown options.
  EXPECT_EQ(RunWindowProgram({"-platform", "offscreen", "--version"}).status, 0);
  EXPECT_EQ(RunWindowProgram({"--frobnicate"}).status, 2);
  EXPECT_EQ(RunWindowProgram({"--simulate-image", ""}).status, 2);
  const std::string missing = (folder / "no such.prm").string();
  const CliRun run = RunWindowProgram({"--simulate-image", missing});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("quarrow: Can't open file - " + missing + ": " + NoSuchFileText() + "\n"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace quarrow::testing
