// SPDX-License-Identifier: GPL-3.0-or-later
// Several families listed as one, each open reaching the library that listed the programmer.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "ProgrammerErrorText.h"
#include "ProgrammerFamilies.h"

namespace quarrow::test {
namespace {

// A library kept by the test while the families own a forwarding one.
struct Borrowed final : IProgrammerLibrary {
  explicit Borrowed(IProgrammerLibrary& inner) : inner(inner) {}
  std::vector<FoundProgrammer> List() override { return inner.List(); }
  OpenedProgrammer Open(const ProgrammerChoice& c, std::uint8_t outputs) override { return inner.Open(c, outputs); }
  ProgrammerError LastError() const override { return inner.LastError(); }
  std::vector<ProgrammerError> ListFailures() const override { return inner.ListFailures(); }
  IProgrammerLibrary& inner;
};

// A family whose driver is not installed: it cannot look at all.
struct NoDriver final : IProgrammerLibrary {
  explicit NoDriver(std::string family) : family(std::move(family)) {}
  std::vector<FoundProgrammer> List() override { return {}; }
  OpenedProgrammer Open(const ProgrammerChoice&, std::uint8_t) override {
    return FailedOpen(LastError(), "open", ProgrammerFault::NotFound, 0);
  }
  ProgrammerError LastError() const override { return {ProgrammerProblem::DriverMissing, "", family, family + ".dll", ""}; }
  std::string family;
};

SimulatedOptions Posing(SimulatedFamily family) {
  SimulatedOptions options;
  options.family = family;
  return options;
}

struct Families : ::testing::Test {
  SimulatedProgrammer ftdi, ch341a, gpio;
  std::unique_ptr<ProgrammerFamilies> all;

  void SetUp() override {
    ch341a.SetOptions(Posing(SimulatedFamily::Ch341a));
    gpio.SetOptions(Posing(SimulatedFamily::Gpio));
    std::vector<ProgrammerFamilies::Family> families;
    families.push_back({kFtdiFamily, std::make_unique<Borrowed>(ftdi)});
    families.push_back({kCh341aFamily, std::make_unique<Borrowed>(ch341a)});
    families.push_back({kGpioFamily, std::make_unique<Borrowed>(gpio)});
    all = std::make_unique<ProgrammerFamilies>(std::move(families));
  }
};

TEST_F(Families, ListsEveryFamilyAndOpensThroughTheOneThatListedIt) {
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(*all);
  ASSERT_EQ(entries.size(), 3u);
  std::vector<std::string> families;
  for (const DeviceEntry& e : entries) families.push_back(e.family);
  EXPECT_EQ(families, (std::vector<std::string>{kCh341aFamily, kGpioFamily, kFtdiFamily}));  // sorted by text
  EXPECT_EQ(entries[0].text, "1-4 - CH341A (Simulated RP5H01 programmer)");
  EXPECT_EQ(entries[0].inputOnly, 0xC0);

  // By place in the whole list: the GPIO chip is second in the families' own order, first in its own.
  std::unique_ptr<IOpenProgrammer> opened;
  const PinAssignment lines = *ParsePinAssignment("clock=GPIO17,reset=GPIO27,data=GPIO22", PinsOf(entries[1])).assignment;
  ASSERT_TRUE(ConnectProgrammer(*all, entries[1], opened, lines).ok);
  EXPECT_EQ(gpio.OpenPlaces(), std::vector<int>{0});
  EXPECT_TRUE(ftdi.OpenPlaces().empty());
  opened.reset();

  // A serial typed goes to whichever family listed it.
  ASSERT_TRUE(ConnectProgrammer(*all, EntryForSerial(kSimulatedCh341aPlace), opened).ok);
  EXPECT_EQ(ch341a.OpenPlaces(), std::vector<int>{0});
  opened.reset();

  // A failure comes from the family that failed.
  SimulatedOptions busy = Posing(SimulatedFamily::Ch341a);
  busy.failOpen = true;
  ch341a.SetOptions(busy);
  EXPECT_FALSE(ConnectProgrammer(*all, entries[0], opened).ok);
  EXPECT_EQ(all->LastError().family, kCh341aFamily);
  EXPECT_EQ(all->LastError().problem, ProgrammerProblem::InUse);
}

TEST_F(Families, OneFamilyThatCannotLookHidesNoOtherAndNothingFoundNamesWhatWasSought) {
  SimulatedOptions gone;
  gone.unplugged = true;
  ftdi.SetOptions(gone);
  EXPECT_EQ(EnumerateProgrammers(*all).size(), 2u);
  EXPECT_FALSE(all->LastError().Failed());

  SimulatedOptions ch341aGone = Posing(SimulatedFamily::Ch341a), gpioGone = Posing(SimulatedFamily::Gpio);
  ch341aGone.unplugged = gpioGone.unplugged = true;
  ch341a.SetOptions(ch341aGone);
  gpio.SetOptions(gpioGone);
  EXPECT_TRUE(EnumerateProgrammers(*all).empty());
  const std::string said = NothingFoundText(all->FamiliesSought());
  EXPECT_NE(said.find("FT232H"), std::string::npos) << said;
  EXPECT_NE(said.find("CH341A programmers (USB 1a86:5512)"), std::string::npos) << said;
  EXPECT_NE(said.find("GPIO chips"), std::string::npos) << said;
}

// Each family that could not look says why, so that the driver to install is named for each; a
// family that looked and found nothing adds nothing.
TEST(FamiliesWithoutDrivers, EachMissingDriverIsAFailureOfItsOwn) {
  SimulatedProgrammer none;
  SimulatedOptions gone = Posing(SimulatedFamily::Gpio);
  gone.unplugged = true;
  none.SetOptions(gone);
  std::vector<ProgrammerFamilies::Family> families;
  families.push_back({kFtdiFamily, std::make_unique<NoDriver>(kFtdiFamily)});
  families.push_back({kCh341aFamily, std::make_unique<NoDriver>(kCh341aFamily)});
  families.push_back({kGpioFamily, std::make_unique<Borrowed>(none)});
  ProgrammerFamilies all(std::move(families));
  EXPECT_TRUE(all.List().empty());
  std::vector<std::string> failed;
  for (const ProgrammerError& failure : all.ListFailures()) failed.push_back(failure.subject);
  EXPECT_EQ(failed, (std::vector<std::string>{"FTDI.dll", "CH341A.dll"}));
}

}  // namespace
}  // namespace quarrow::test
