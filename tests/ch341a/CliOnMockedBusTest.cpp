// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli itself, run as a child on a mocked USB bus holding programmers of several families:
// the list names each, a read through the CH341A is byte-exact, and a CH341A pulled out mid-read
// leaves a clear error and no file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FakeCh341a.h"
#include "FakeFt232r.h"
#include "ImageFile.h"
#include "LinkTestSupport.h"

namespace quarrow {
namespace {

namespace fs = std::filesystem;

struct ChildRun {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs quarrow-cli with `args`; the mocked bus answers it from this process meanwhile. Its wiring
// file and folders go to `home`, away from the person running the tests.
ChildRun RunCli(const fs::path& home, const std::vector<std::string>& args) {
  const fs::path out = home / "out.txt", err = home / "err.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::unsetenv("QUARROW_PINS");
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(o, STDOUT_FILENO);
    ::dup2(e, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(QUARROW_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(QUARROW_CLI_PATH, argv.data());
    ::_exit(127);
  }
  ChildRun run;
  int wstatus = 0;
  if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  run.out = Slurp(out);
  run.err = Slurp(err);
  return run;
}

struct MixedBus : ::testing::Test {
  fs::path home = fs::temp_directory_path() / ("quarrow-bus-" + std::to_string(::getpid()));
  test::UsbTestbed bed;  // its bus takes the CH341A too
  PromImage chip = test::ImageWithBits({0, 5, 64, 100, 127});
  test::Ch341aSpec spec;

  void SetUp() override {
    fs::create_directories(home);
    bed.Add({});  // an FT232R, serial A1B2C3D4
    spec.chip = chip;
    spec.wiring = test::Pins("clock=D3,reset=D5,data=D7");
  }
  void TearDown() override { fs::remove_all(home); }
  test::FakeCh341a& PlugCh341a() {
    auto device = std::make_unique<test::FakeCh341a>(spec);
    const test::UsbDeviceFacts facts = device->Facts();
    return bed.Bus().Add(std::move(device), facts);
  }
};

TEST_F(MixedBus, ListsEveryFamilyAndReadsThroughTheCh341aByteExact) {
  PlugCh341a();
  const ChildRun list = RunCli(home, {"list"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("A1B2C3D4 - FT232R USB UART\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("1-2 - CH341A (USB UART-LPT)\n"), std::string::npos) << list.out;

  const fs::path file = home / "chip.bin";
  const ChildRun read =
      RunCli(home, {"--pins", "clock=D3,reset=D5,data=D7", "read", "--device", "1-2", "-o", file.string()});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out.substr(0, 33), FormatImageText(chip));
  PromImage saved;
  ASSERT_TRUE(OpenImageFile(file, ImageFileLayout::Mame, saved));
  EXPECT_EQ(saved, chip);
}

TEST_F(MixedBus, ACh341aPulledOutMidReadSaysSoAndSavesNothing) {
  spec.unplugAtRead = 40;
  PlugCh341a();
  const fs::path file = home / "chip.bin";
  const ChildRun read =
      RunCli(home, {"--pins", "clock=D3,reset=D5,data=D7", "read", "--device", "1-2", "-o", file.string()});
  EXPECT_NE(read.status, 0);
  EXPECT_NE(read.err.find("unplugged"), std::string::npos) << read.err;
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(read.out, "");
}

}  // namespace
}  // namespace quarrow
