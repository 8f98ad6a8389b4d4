// SPDX-License-Identifier: GPL-3.0-or-later
// A programmer library that hands every call on to another one and records what the tool did to
// the programmers: the opens, the outputs chosen, the pin writes and reads. Tests, benchmarks and
// the fuzzer put it around the simulated programmer; the programs never carry it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ProgrammerLibrary.h"

namespace quarrow {

// An open as the library received it.
struct RecordedOpen {
  std::string serial;  // the serial asked for, or empty when opened by its place
  int index = -1;      // the place in the list asked for
  bool opened = false;
  std::vector<int> lines;  // the lines a GPIO chip was asked to open as D0, D1, ...
  std::uint8_t outputs = 0;
};

class RecordingProgrammer final : public IProgrammerLibrary {
  template <class F>
  auto Locked(F f) const {
    std::lock_guard lock(mutex_);
    return f();
  }

 public:
  // Records the calls to `inner`, which must outlive this library.
  explicit RecordingProgrammer(IProgrammerLibrary& inner) : inner_(inner) {}

  int PinWrites() const { return Locked([&] { return pinWrites_; }); }
  int PinReads() const { return Locked([&] { return pinReads_; }); }
  // The bytes the programmers took.
  std::vector<std::uint8_t> WrittenBytes() const { return Locked([&] { return written_; }); }
  // Every pin that was an output when a byte was written or the outputs chosen.
  std::uint8_t DrivenPins() const { return Locked([&] { return drivenPins_; }); }
  // The outputs each programmer was set up with, at its open and after, in order.
  std::vector<std::uint8_t> OutputMasks() const { return Locked([&] { return outputMasks_; }); }
  std::vector<RecordedOpen> Opens() const { return Locked([&] { return opens_; }); }
  void ClearRecord() {
    std::lock_guard lock(mutex_);
    pinWrites_ = pinReads_ = 0;
    written_.clear();
    drivenPins_ = 0;
    outputMasks_.clear();
    opens_.clear();
  }

  std::vector<FoundProgrammer> List() override { return inner_.List(); }
  std::vector<std::string> FamiliesSought() const override { return inner_.FamiliesSought(); }
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override {
    OpenedProgrammer opened = inner_.Open(choice, outputs);
    std::lock_guard lock(mutex_);
    opens_.push_back({choice.serial, choice.index, opened.programmer != nullptr, choice.lines, outputs});
    if (opened.programmer) {
      Outputs(outputs);
      opened.programmer = std::make_unique<Recorded>(std::move(opened.programmer), *this);
    }
    return opened;
  }
  ProgrammerError LastError() const override { return inner_.LastError(); }

 private:
  class Recorded final : public IOpenProgrammer {
   public:
    Recorded(std::unique_ptr<IOpenProgrammer> inner, RecordingProgrammer& record)
        : inner_(std::move(inner)), record_(record) {}
    bool SetOutputs(std::uint8_t mask) override {
      const bool set = inner_->SetOutputs(mask);
      if (set) record_.Locked([&] { record_.Outputs(mask); return 0; });
      return set;
    }
    bool WritePins(std::uint8_t value) override {
      const bool written = inner_->WritePins(value);
      record_.Locked([&] {
        ++record_.pinWrites_;
        if (written) {
          record_.written_.push_back(value);
          record_.drivenPins_ |= record_.outputs_;
        }
        return 0;
      });
      return written;
    }
    bool ReadPins(std::uint8_t& value) override {
      record_.Locked([&] { return ++record_.pinReads_; });
      return inner_->ReadPins(value);
    }
    ProgrammerError LastError() const override { return inner_->LastError(); }

   private:
    std::unique_ptr<IOpenProgrammer> inner_;
    RecordingProgrammer& record_;
  };

  void Outputs(std::uint8_t mask) {
    outputMasks_.push_back(mask);
    outputs_ = mask;
    drivenPins_ |= mask;
  }

  IProgrammerLibrary& inner_;
  mutable std::mutex mutex_;
  std::uint8_t outputs_ = 0xFF;
  int pinWrites_ = 0;
  int pinReads_ = 0;
  std::vector<std::uint8_t> written_;
  std::uint8_t drivenPins_ = 0;
  std::vector<std::uint8_t> outputMasks_;
  std::vector<RecordedOpen> opens_;
};

}  // namespace quarrow
