// Shared helpers of the link tests: a receiver that records notifications, a wait that records
// instead of sleeping, and a simulated programmer already connected.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Programmer.h"
#include "ReadOut.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::test {

class RecordingReceiver : public IReadReceiver {
 public:
  std::vector<std::uintptr_t> progress;  // wParam of every WM_READ_PROGRESS
  std::vector<std::intptr_t> progressLParams;
  int doneCount = 0;
  bool doneAfterAllProgress = true;
  ReadOutcome doneOutcome = ReadOutcome::Complete;
  std::string doneText;
  std::function<void(std::uintptr_t)> onProgress;

  std::intptr_t Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (message == WM_READ_PROGRESS) {
      if (doneCount > 0) doneAfterAllProgress = false;
      progress.push_back(wParam);
      progressLParams.push_back(lParam);
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

// A simulated programmer connected the way the tool connects, with its record cleared, and a job
// over it whose waits are recorded together with the number of pin writes made before each.
struct ConnectedSimulation {
  SimulatedProgrammer sim;
  FT_HANDLE handle = nullptr;
  CD2xxPinPort port{sim, handle};
  std::uint8_t pinByte = 0;
  PromImage image;
  RecordingReceiver receiver;
  std::vector<std::pair<int, int>> waits;  // (pin writes so far, milliseconds)

  explicit ConnectedSimulation(const PromImage& chip = SimulatedSampleImage()) : sim(chip) {
    ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle);
    sim.ClearRecord();
  }

  ReadPromJob Job(const std::atomic<bool>* stop = nullptr) {
    return ReadPromJob{port, pinByte, image, receiver,
                       [this](int ms) { waits.emplace_back(sim.PinWrites(), ms); }, stop};
  }

  ReadResult Read(const std::atomic<bool>* stop = nullptr) {
    ReadPromJob job = Job(stop);
    return ReadPromThread(job);
  }
};

}  // namespace quarrow::test
