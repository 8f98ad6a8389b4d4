// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of the device-read fuzz target: a few device lists and faults that a
// person meets, each as one file. Run by hand when the scenario format changes, and commit them:
//   build/fuzz/fuzz/make_device_seeds fuzz/device_read/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "DeviceScenario.h"
#include "sim/SimulatedProgrammer.h"

using namespace quarrow;
using namespace quarrow::fuzz;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const ScenarioProgrammer simulated{0, 0, kSimulatedSerial, kSimulatedDescription};
  DeviceScenario base;
  base.programmers = {simulated};
  base.chip = EncodeImageFile(SimulatedSampleImage(), ImageFileLayout::Nss);

  std::vector<std::pair<std::string, DeviceScenario>> seeds;
  seeds.emplace_back("simulated-programmer", base);

  DeviceScenario s = base;
  // FT2232H port B (the chip table's fifth) between two FT232Rs.
  s.programmers = {{0, 0, "B0000002", "Board"}, {4, 1, "A0000001B", "FT2232 B"}, {0, 0, "a0000001", "board"}};
  s.entryChoice = 1;
  seeds.emplace_back("three-programmers-one-a-second-port", s);

  s = base;
  // Listed as " - " first, then the long serial.
  s.programmers = {{0, 0, std::string(40, 'S'), std::string(70, 'D')}, {0, 0, "", ""}};
  s.entryChoice = 1;
  seeds.emplace_back("long-texts", s);
  s.entryChoice = 0;
  seeds.emplace_back("empty-serial-opens-by-index", s);

  s = base;
  s.typedSerial = true;
  s.serial = kSimulatedSerial;
  s.failReadsFromBit = 40;
  seeds.emplace_back("typed-serial-reads-fail-from-bit-40", s);

  // A serial the libraries would read cut short at its zero, both listed and typed.
  s = base;
  const std::string cutShort = std::string(kSimulatedSerial) + '\0' + "2";
  s.programmers.push_back({0, 0, cutShort, "twin"});
  s.typedSerial = true;
  s.serial = cutShort;
  seeds.emplace_back("typed-serial-with-zero-character", s);

  s = base;
  s.events = {{100, ScenarioAction::Unplug, 0}, {200, ScenarioAction::Replug, 0}};
  seeds.emplace_back("pulled-out-and-back-during-read", s);

  s = base;
  s.events = {{150, ScenarioAction::Stop, 0}, {151, ScenarioAction::FailReadsFromBit, 60}};
  seeds.emplace_back("stopped-during-read", s);

  s = base;
  s.failOpen = true;
  seeds.emplace_back("open-refused", s);

  s = base;
  s.programmers.clear();
  s.unplugged = true;
  seeds.emplace_back("nothing-attached", s);

  for (const auto& [name, scenario] : seeds) {
    const std::vector<std::uint8_t> bytes = EncodeScenario(scenario);
    std::ofstream file(std::filesystem::path(argv[1]) / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], name.c_str());
      return 1;
    }
  }
  return 0;
}
