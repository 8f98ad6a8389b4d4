// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli itself, run as a child on a mocked USB bus holding programmers of several families:
// the list names each, a read through the CH341A is byte-exact, and a CH341A pulled out mid-read
// leaves a clear error and no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "FakeCh341a.h"
#include "FakeFt232r.h"
#include "ImageFile.h"
#include "LinkTestSupport.h"

namespace quarrow {
namespace {

namespace fs = std::filesystem;

// quarrow-cli as a child of this process, which answers the mocked bus meanwhile; its wiring file
// and folders go to `home`, away from the person running the tests.
testing::CliRun RunCli(const fs::path& home, const std::vector<std::string>& args) {
  testing::ChildSetUp setUp;
  setUp.environment = {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / "config").string()};
  return testing::RunChild(args, setUp);
}

struct MixedBus : ::testing::Test {
  testing::TempFolder folder;
  const fs::path home = folder.path();
  test::UsbTestbed bed;  // its bus takes the CH341A too
  PromImage chip = test::ImageWithBits({0, 5, 64, 100, 127});
  test::Ch341aSpec spec;

  void SetUp() override {
    bed.Add({});  // an FT232R, serial A1B2C3D4
    spec.chip = chip;
    spec.wiring = test::Pins("clock=D3,reset=D5,data=D7");
  }
  test::FakeCh341a& PlugCh341a() { return test::PlugCh341a(bed.Bus(), spec); }
};

TEST_F(MixedBus, ListsEveryFamilyAndReadsThroughTheCh341aByteExact) {
  PlugCh341a();
  const testing::CliRun list = RunCli(home, {"list"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("A1B2C3D4 - FT232R USB UART\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("1-2 - CH341A (USB UART-LPT)\n"), std::string::npos) << list.out;

  const fs::path file = home / "chip.bin";
  const testing::CliRun read =
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
  const testing::CliRun read =
      RunCli(home, {"--pins", "clock=D3,reset=D5,data=D7", "read", "--device", "1-2", "-o", file.string()});
  EXPECT_NE(read.status, 0);
  EXPECT_NE(read.err.find("unplugged"), std::string::npos) << read.err;
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(read.out, "");
}

}  // namespace
}  // namespace quarrow
