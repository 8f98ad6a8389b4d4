// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the link tests: a receiver that records notifications, and a simulated programmer
// connected the way the tool connects, whose job records its waits instead of sleeping.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Programmer.h"
#include "ReadOut.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::test {

struct RecordingReceiver : IReadReceiver {
  std::vector<std::uintptr_t> progress;  // wParam of each WM_READ_PROGRESS, with lParam 0
  int doneCount = 0;
  bool progressAfterDone = false;
  ReadOutcome doneOutcome = ReadOutcome::Complete;
  std::string doneText;
  std::function<void(std::uintptr_t)> onProgress;

  std::intptr_t Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (message == WM_READ_PROGRESS && lParam == 0) {
      progressAfterDone = progressAfterDone || doneCount > 0;
      progress.push_back(wParam);
      if (onProgress) onProgress(wParam);
    } else if (message == WM_READ_DONE) {
      ++doneCount;
      doneOutcome = static_cast<ReadOutcome>(wParam);
      doneText = reinterpret_cast<const char*>(lParam);
    }
    return 0;
  }
};

inline PromImage ImageWithBits(std::initializer_list<int> bits) {
  PromImage image;
  for (int n : bits) image.SetBit(n);
  return image;
}

inline PromImage AllOnes() {
  PromImage image;
  image.word0.set();
  image.word1.set();
  return image;
}

// An assignment from its text form, e.g. "clock=D2,reset=D3,data=D6".
inline PinAssignment Pins(const char* text, bool invertData = false) {
  PinAssignment pins = ParsePinAssignment(text).assignment.value();
  pins.invertData = invertData;
  return pins;
}

// A simulated board wired as `wiring` says.
inline SimulatedOptions Board(const char* wiring, bool invertData = false, FtdiChip chip = FtdiChip::FT232R) {
  SimulatedOptions board;
  board.wiring = Pins(wiring, invertData);
  board.chip = chip;
  return board;
}

struct ConnectedSimulation {
  SimulatedProgrammer sim;
  FT_HANDLE handle = nullptr;
  CD2xxPinPort port{sim, handle};
  std::uint8_t pinByte = 0;
  PromImage image;
  RecordingReceiver receiver;
  std::vector<std::pair<int, int>> waits;  // (pin writes made before the wait, milliseconds)

  PinAssignment pins;  // what the tool is told of the wiring

  explicit ConnectedSimulation(const PromImage& chip = SimulatedSampleImage()) : sim(chip) {
    ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle);
    sim.ClearRecord();
  }
  // A board wired as `board` says, connected as the tool connects with the assignment `toolPins`.
  ConnectedSimulation(const SimulatedOptions& board, const PinAssignment& toolPins,
                      const PromImage& chip = SimulatedSampleImage())
      : sim(chip), pins(toolPins) {
    sim.SetOptions(board);
    ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle, pins);
    sim.ClearRecord();
  }
  void Set(void (*change)(SimulatedOptions&)) {
    SimulatedOptions options;
    change(options);
    sim.SetOptions(options);
  }
  ReadPromJob Job(const std::atomic<bool>* stop = nullptr) {
    return {port, pinByte, image, receiver,
            [this](int ms) { waits.emplace_back(sim.PinWrites(), ms); }, stop, pins};
  }
  ReadResult Read(const std::atomic<bool>* stop = nullptr) {
    ReadPromJob job = Job(stop);
    return ReadPromThread(job);
  }
};

}  // namespace quarrow::test
