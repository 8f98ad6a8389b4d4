// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: hostile programmers' serials and descriptions through the device list and Connect,
// then a whole read on the simulated programmer while it is pulled out, plugged back, fails pin
// reads or is asked to stop at any point, and a second, undisturbed read on the same connection.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "DeviceScenario.h"
#include "FuzzCheck.h"
#include "Connection.h"
#include "ReadOut.h"
#include "RecordingProgrammer.h"
#include "sim/SimulatedProgrammer.h"

namespace {

using namespace quarrow;
using namespace quarrow::fuzz;

bool FoldedLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

// The description as the list shows it: up to a zero, at most 63 characters.
std::string ShownDescription(const std::string& description) {
  const std::string cut = description.substr(0, 63);
  return cut.substr(0, cut.find('\0'));
}

void CheckDeviceList(const std::vector<DeviceEntry>& entries, const std::vector<SimulatedDevice>& listed) {
  FUZZ_CHECK(entries.size() == listed.size());
  std::vector<bool> seen(listed.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DeviceEntry& entry = entries[i];
    // An entry's index is its place in the library's list.
    FUZZ_CHECK(entry.index >= 0 && static_cast<std::size_t>(entry.index) < listed.size());
    const std::size_t at = static_cast<std::size_t>(entry.index);
    FUZZ_CHECK(!seen[at]);
    seen[at] = true;
    const SimulatedDevice& device = listed[at];
    FUZZ_CHECK(entry.serial == device.serial && entry.chip == device.chip && entry.port == device.port);
    const std::string description = ShownDescription(device.description);
    // Any chip but the FT232R and FT245R is named before its description.
    FUZZ_CHECK(device.chip == FtdiChip::FT232R || device.chip == FtdiChip::FT245R
                   ? entry.text == entry.serial + " - " + description
                   : entry.text.rfind(entry.serial + " - FT", 0) == 0 &&
                         entry.text.size() > description.size() + 2 &&
                         entry.text.compare(entry.text.size() - description.size() - 1, std::string::npos,
                                            description + ")") == 0);
    FUZZ_CHECK(i == 0 || !FoldedLess(entry.text, entries[i - 1].text));
  }
}

// Counts the pin operations that fail, apart from the read-out's own count.
class CountingPort : public IPinPort {
 public:
  explicit CountingPort(IPinPort& inner) : inner_(inner) {}
  bool WritePins(std::uint8_t value) override { ++writes; return Counted(inner_.WritePins(value)); }
  bool ReadPins(std::uint8_t& value) override { ++reads; return Counted(inner_.ReadPins(value)); }
  int writes = 0;
  int reads = 0;
  int failures = 0;

 private:
  bool Counted(bool ok) {
    failures += ok ? 0 : 1;
    return ok;
  }
  IPinPort& inner_;
};

// Checks the events in the order they arrive.
struct CheckingReceiver : IReadReceiver {
  int progress = 0;
  int done = 0;
  ReadCompletion completion;

  void OnReadProgress(const ReadProgress& event) override {
    FUZZ_CHECK(done == 0 && event.bitsRead == progress + 1);
    ++progress;
  }
  void OnReadCompletion(const ReadCompletion& event) override {
    FUZZ_CHECK(done == 0);
    ++done;
    completion = event;
  }
};

void Apply(SimulatedProgrammer& sim, const ScenarioEvent& event, std::atomic<bool>& stop) {
  SimulatedOptions options = sim.Options();
  switch (event.action) {
    case ScenarioAction::Unplug: options.unplugged = true; break;
    case ScenarioAction::Replug: options.unplugged = false; break;
    case ScenarioAction::Stop: stop.store(true, std::memory_order_release); break;
    case ScenarioAction::FailReadsFromBit: options.failReadsFromBit = event.argument; break;
    case ScenarioAction::ReadsNeverFail: options.failReadsFromBit = -1; break;
    case ScenarioAction::kCount: break;
  }
  sim.SetOptions(options);
}


// One whole read through the connection's pin port, with the scenario's events in place of the waits.
ReadCompletion ReadChecked(SimulatedProgrammer& sim, IPinPort& connected,
                        const std::vector<ScenarioEvent>& events) {
  CountingPort port(connected);
  CheckingReceiver receiver;
  std::atomic<bool> stop{false};
  int waits = 0;
  ReadPromJob job{port, receiver,
                  [&](int milliseconds) {
                    FUZZ_CHECK(milliseconds == (waits < 2 ? kResetWaitMs : kClockWaitMs));
                    for (const ScenarioEvent& event : events) {
                      if (event.atWait == waits) Apply(sim, event, stop);
                    }
                    ++waits;
                  },
                  &stop};
  const ReadCompletion result = ReadProm(job);
  const PromImage& image = result.image;

  FUZZ_CHECK(receiver.done == 1 && receiver.progress == result.bitsRead);
  FUZZ_CHECK(receiver.completion.outcome == result.outcome && receiver.completion.image == image &&
             receiver.completion.bitsRead == result.bitsRead &&
             receiver.completion.failedPinOperations == result.failedPinOperations);
  FUZZ_CHECK(port.writes == 2 + 3 * result.bitsRead && port.reads == 2 * result.bitsRead);
  FUZZ_CHECK(result.failedPinOperations == port.failures);
  // A read that met a failed pin operation must never pass for a good one.
  FUZZ_CHECK((result.outcome == ReadOutcome::Failed) == (port.failures > 0));
  const PromImage chip = sim.Chip();
  if (result.outcome == ReadOutcome::Complete) {
    FUZZ_CHECK(result.bitsRead == PromImage::kBits && image == chip);
  } else if (result.outcome == ReadOutcome::Stopped) {
    FUZZ_CHECK(stop.load() && result.bitsRead < PromImage::kBits);
    for (int n = 0; n < PromImage::kBits; ++n) {
      FUZZ_CHECK(image.Bit(n) == (n < result.bitsRead && chip.Bit(n)));
    }
  } else {
    FUZZ_CHECK(result.outcome == ReadOutcome::Failed);
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const DeviceScenario scenario = ParseScenario({data, size});

  const std::span<const FtdiChipFacts> chips = SupportedChips();
  std::vector<SimulatedDevice> devices;
  for (const ScenarioProgrammer& p : scenario.programmers) {
    const FtdiChipFacts& facts = chips[p.chip % chips.size()];
    devices.push_back({p.serial, p.description, facts.chip, p.port % facts.interfaces});
  }
  SimulatedProgrammer sim(DecodeImageFile(scenario.chip, ImageFileLayout::Nss));
  SimulatedOptions options;
  options.devices = devices;
  options.failOpen = scenario.failOpen;
  options.unplugged = scenario.unplugged;
  options.failReadsFromBit = scenario.failReadsFromBit;
  sim.SetOptions(options);

  RecordingProgrammer record(sim);
  Connection connection(record);
  const std::vector<DeviceEntry> entries = connection.List();
  CheckDeviceList(entries, scenario.unplugged ? std::vector<SimulatedDevice>{} : devices);

  DeviceEntry entry;
  if (scenario.typedSerial) {
    entry = EntryForSerial(scenario.serial);
  } else if (!entries.empty()) {
    entry = entries[scenario.entryChoice % entries.size()];
  }
  // Connect opens the first programmer with exactly the entry's serial, or the one at its place in
  // the list; a serial with a zero in it is refused, as the libraries would read it cut short.
  const bool bySerial = !entry.serial.empty();
  auto isTheEntrysDevice = [&](std::size_t place) {
    if (!bySerial) return entry.index >= 0 && place == static_cast<std::size_t>(entry.index);
    for (std::size_t k = 0; k < place; ++k) {
      if (devices[k].serial == entry.serial) return false;
    }
    return devices[place].serial == entry.serial;
  };
  bool present = false;
  for (std::size_t i = 0; i < devices.size(); ++i) present = present || isTheEntrysDevice(i);
  present = present && entry.serial.find('\0') == std::string::npos;
  // The default wiring uses D4, which a four-pin chip (FT230X, FT234XD) lacks: refused unopened.
  const bool pinsFit = !entry.chip || FactsOf(*entry.chip).bitBangPins == 8;
  const bool mayOpen = present && pinsFit && !scenario.failOpen && !scenario.unplugged;

  const ConnectResult connected = connection.Connect(entry, {});
  FUZZ_CHECK(connected.ok == mayOpen);
  if (connected.ok) {
    const std::vector<int> open = sim.OpenPlaces();
    FUZZ_CHECK(open.size() == 1 && isTheEntrysDevice(static_cast<std::size_t>(open.front())));
    FUZZ_CHECK(record.OutputMasks() == std::vector<std::uint8_t>{0x03});
  } else {
    FUZZ_CHECK(!connection.Connected() &&
               (connected.pinsMissing || connected.failure != ConnectResult::Failure::None));
  }

  const ReadCompletion first = ReadChecked(sim, connection.Port(), scenario.events);
  if (!connected.ok) {
    FUZZ_CHECK(first.outcome == ReadOutcome::Failed && first.image == PromImage{});
    return 0;
  }
  // Whatever the first read met, the programmer back in good order reads the chip whole.
  options.unplugged = false;
  options.failReadsFromBit = -1;
  sim.SetOptions(options);
  const ReadCompletion second = ReadChecked(sim, connection.Port(), {});
  FUZZ_CHECK(second.outcome == ReadOutcome::Complete);
  return 0;
}
