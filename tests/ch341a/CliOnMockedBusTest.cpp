// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli itself, run as a child on a mocked USB bus holding programmers of several families,
// beside a Raspberry Pi's GPIO chip emulated at the kernel's interface: the list names each, a read
// through each is byte-exact, and a CH341A pulled out mid-read leaves a clear error and no file.
#include <gtest/gtest.h>

#include <cstdlib>
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

// "1,2,63": the bits of `prom` that read 1, as the GPIO emulation's preload takes them.
std::string BitNumbers(const PromImage& prom) {
  std::string bits;
  for (int n = 0; n < PromImage::kBits; ++n) {
    if (prom.Bit(n)) bits += (bits.empty() ? "" : ",") + std::to_string(n);
  }
  return bits;
}

struct MixedBus : ::testing::Test {
  testing::TempFolder folder;
  const fs::path home = folder.path();
  test::UsbTestbed bed;  // its bus takes the CH341A too
  PromImage chip = test::ImageWithBits({0, 5, 64, 100, 127});
  PromImage ftdiChip = test::ImageWithBits({8, 9, 70});
  test::Ch341aSpec spec;
  PromImage gpioChip = test::ImageWithBits({1, 2, 3, 63, 64, 126});  // on the GPIO chip's header

  // quarrow-cli as a child of this process, which answers the mocked bus meanwhile, with the GPIO
  // emulation preloaded in front of umockdev's; its wiring file and folders go to `home`, away from
  // the person running the tests.
  testing::CliRun RunCli(const std::vector<std::string>& args) const {
    testing::ChildSetUp setUp;
    const char* umockdev = std::getenv("LD_PRELOAD");
    setUp.environment = {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / "config").string(),
                         "QUARROW_FAKE_GPIO_PROM=" + BitNumbers(gpioChip),
                         std::string("LD_PRELOAD=") + QUARROW_GPIO_PRELOAD + ":" + (umockdev ? umockdev : "")};
    return testing::RunChild(args, setUp);
  }

  void SetUp() override {
    test::Ft232rSpec ft232r;  // serial A1B2C3D4
    ft232r.promWiring = test::Pins("clock=D0,reset=D1,data=D4");
    ft232r.prom = ftdiChip;
    bed.Add(ft232r);
    spec.chip = chip;
    spec.wiring = test::Pins("clock=D3,reset=D5,data=D7");
  }
  test::FakeCh341a& PlugCh341a() { return test::PlugCh341a(bed.Bus(), spec); }
};

TEST_F(MixedBus, ListsEveryFamilyAndReadsThroughEachByteExact) {
  PlugCh341a();
  const testing::CliRun list = RunCli({"list"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("A1B2C3D4 - FT232R USB UART\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("1-2 - CH341A (USB UART-LPT)\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("gpiochip0 - pinctrl-bcm2711 (54 GPIO lines)\n"), std::string::npos) << list.out;

  const struct {
    const char* device;
    const char* pins;
    PromImage prom;
  } programmers[] = {{"1-2", "clock=D3,reset=D5,data=D7", chip},
                     {"gpiochip0", "clock=GPIO17,reset=GPIO27,data=GPIO22", gpioChip}};
  for (const auto& programmer : programmers) {
    SCOPED_TRACE(programmer.device);
    const fs::path file = home / (std::string(programmer.device) + ".bin");
    const testing::CliRun read =
        RunCli({"--pins", programmer.pins, "read", "--device", programmer.device, "-o", file.string()});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out.substr(0, 33), FormatImageText(programmer.prom));
    PromImage saved;
    ASSERT_TRUE(OpenImageFile(file, ImageFileLayout::Mame, saved));
    EXPECT_EQ(saved, programmer.prom);
  }
}

TEST_F(MixedBus, ACh341aPulledOutMidReadSaysSoAndSavesNothing) {
  spec.unplugAtRead = 40;
  PlugCh341a();
  const fs::path file = home / "chip.bin";
  const testing::CliRun read =
      RunCli({"--pins", "clock=D3,reset=D5,data=D7", "read", "--device", "1-2", "-o", file.string()});
  EXPECT_NE(read.status, 0);
  EXPECT_NE(read.err.find("unplugged"), std::string::npos) << read.err;
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(read.out, "");
}

}  // namespace
}  // namespace quarrow
