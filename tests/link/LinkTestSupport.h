// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the link tests: a receiver that records a read's events, and a simulated programmer
// connected the way the tool connects, whose job records its waits instead of sleeping.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Connection.h"
#include "ReadOut.h"
#include "RecordingProgrammer.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::test {

struct RecordingReceiver : IReadReceiver {
  std::vector<int> progress;  // the bits read of each progress event
  int doneCount = 0;
  bool progressAfterDone = false;
  ReadOutcome doneOutcome = ReadOutcome::Complete;
  PromImage image;  // the completion's
  std::function<void(int)> onProgress;

  void OnReadProgress(const ReadProgress& event) override {
    progressAfterDone = progressAfterDone || doneCount > 0;
    progress.push_back(event.bitsRead);
    if (onProgress) onProgress(event.bitsRead);
  }
  void OnReadCompletion(const ReadCompletion& completion) override {
    ++doneCount;
    doneOutcome = completion.outcome;
    image = completion.image;
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
  RecordingProgrammer record{sim};  // what the tool did to the programmer
  IProgrammerLibrary& library = record;
  Connection connection{library};
  RecordingReceiver receiver;
  PromImage& image = receiver.image;  // the last read's
  IPinPort& port = connection.Port();
  std::vector<std::pair<int, int>> waits;  // (pin writes made before the wait, milliseconds)

  PinAssignment pins;  // what the tool is told of the wiring

  explicit ConnectedSimulation(const PromImage& chip = SimulatedSampleImage()) : sim(chip) {
    connection.Connect(EntryForSerial(kSimulatedSerial), {});
    record.ClearRecord();
  }
  // A board wired as `board` says, connected as the tool connects with the assignment `toolPins`.
  ConnectedSimulation(const SimulatedOptions& board, const PinAssignment& toolPins,
                      const PromImage& chip = SimulatedSampleImage())
      : sim(chip), pins(toolPins) {
    sim.SetOptions(board);
    connection.Connect(EntryForSerial(kSimulatedSerial), pins);
    record.ClearRecord();
  }
  void Set(void (*change)(SimulatedOptions&)) {
    SimulatedOptions options;
    change(options);
    sim.SetOptions(options);
  }
  WaitFunction RecordedWait() {
    return [this](int ms) { waits.emplace_back(record.PinWrites(), ms); };
  }
  ReadPromJob Job(const std::atomic<bool>* stop = nullptr) {
    ReadPromJob job = connection.ReadJob(receiver, RecordedWait());
    job.stopRequested = stop;
    job.pins = pins;  // as the test tells it now, which may differ from the wiring connected with
    return job;
  }
  ReadCompletion Read(const std::atomic<bool>* stop = nullptr) { return ReadProm(Job(stop)); }
};

}  // namespace quarrow::test
