// SPDX-License-Identifier: GPL-3.0-or-later
// A back end that hands every call on to another one and records what the tool did to the
// programmer: the pin writes and reads, the set-up calls and the opens. Tests put it around the
// simulated programmer; the programs never carry it.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "D2xx.h"

namespace quarrow {

// A set-up call as the programmer received it.
struct SimulatedSetupCall {
  std::string name;  // "FT_SetBitMode", "FT_SetBaudRate", "FT_SetTimeouts", "FT_ResetDevice"
  FT_HANDLE handle = nullptr;
  std::vector<std::uint32_t> args;
  friend bool operator==(const SimulatedSetupCall&, const SimulatedSetupCall&) = default;
};

// An open as the programmer received it.
struct SimulatedOpenCall {
  bool bySerial = false;
  std::string serial;  // FT_OpenEx
  int index = -1;      // FT_Open
  FT_STATUS status = FT_OK;
};

class RecordingProgrammer : public ID2xx {
  template <class F>
  auto Locked(F f) const {
    std::lock_guard lock(mutex_);
    return f();
  }

 public:
  explicit RecordingProgrammer(ID2xx& inner) : inner_(inner) {}

  int PinWrites() const { return Locked([&] { return pinWrites_; }); }  // FT_Write calls
  int PinReads() const { return Locked([&] { return pinReads_; }); }    // FT_GetBitMode calls
  // The bytes the programmer took.
  std::vector<std::uint8_t> WrittenBytes() const { return Locked([&] { return written_; }); }
  // Every pin that was an output (in the direction mask) when a byte was written or the mask set.
  std::uint8_t DrivenPins() const { return Locked([&] { return drivenPins_; }); }
  std::vector<SimulatedSetupCall> SetupCalls() const { return Locked([&] { return setupCalls_; }); }
  std::vector<SimulatedOpenCall> OpenCalls() const { return Locked([&] { return openCalls_; }); }
  void ClearRecord() {
    std::lock_guard lock(mutex_);
    pinWrites_ = pinReads_ = 0;
    written_.clear();
    drivenPins_ = 0;
    setupCalls_.clear();
    openCalls_.clear();
  }

  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override { return inner_.FT_CreateDeviceInfoList(count); }
  FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) override {
    return inner_.FT_GetDeviceInfoList(list, count);
  }
  FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) override {
    const FT_STATUS status = inner_.FT_OpenEx(serial, flags, handle);
    if (serial != nullptr && handle != nullptr) Record(openCalls_, {true, serial, -1, status});
    return status;
  }
  FT_STATUS FT_Open(int index, FT_HANDLE* handle) override {
    const FT_STATUS status = inner_.FT_Open(index, handle);
    if (handle != nullptr) Record(openCalls_, {false, {}, index, status});
    return status;
  }
  FT_STATUS FT_Close(FT_HANDLE handle) override { return inner_.FT_Close(handle); }
  FT_STATUS FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) override {
    const FT_STATUS status = inner_.FT_SetBitMode(handle, mask, mode);
    if (status == FT_OK) {
      std::lock_guard lock(mutex_);
      setupCalls_.push_back({"FT_SetBitMode", handle, {mask, mode}});
      directionMask_ = mask;
      drivenPins_ |= mask;
    }
    return status;
  }
  FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) override {
    return Setup(inner_.FT_SetBaudRate(handle, baud), {"FT_SetBaudRate", handle, {baud}});
  }
  FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) override {
    return Setup(inner_.FT_SetTimeouts(handle, readMs, writeMs), {"FT_SetTimeouts", handle, {readMs, writeMs}});
  }
  FT_STATUS FT_ResetDevice(FT_HANDLE handle) override {
    return Setup(inner_.FT_ResetDevice(handle), {"FT_ResetDevice", handle, {}});
  }
  FT_STATUS FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size, std::uint32_t* written) override {
    const FT_STATUS status = inner_.FT_Write(handle, data, size, written);
    std::lock_guard lock(mutex_);
    ++pinWrites_;
    if (status == FT_OK && data != nullptr) {
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      const std::uint32_t taken = written != nullptr ? *written : size;
      written_.insert(written_.end(), bytes, bytes + taken);
      if (taken > 0) drivenPins_ |= directionMask_;
    }
    return status;
  }
  FT_STATUS FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) override {
    Locked([&] { return ++pinReads_; });
    return inner_.FT_GetBitMode(handle, pins);
  }
  std::string LastErrorText() const override { return inner_.LastErrorText(); }

 private:
  template <class T>
  void Record(std::vector<T>& list, T entry) {
    std::lock_guard lock(mutex_);
    list.push_back(std::move(entry));
  }
  FT_STATUS Setup(FT_STATUS status, SimulatedSetupCall call) {
    if (status == FT_OK) Record(setupCalls_, std::move(call));
    return status;
  }

  ID2xx& inner_;
  mutable std::mutex mutex_;
  std::uint8_t directionMask_ = 0xFF;
  int pinWrites_ = 0;
  int pinReads_ = 0;
  std::vector<std::uint8_t> written_;
  std::uint8_t drivenPins_ = 0;
  std::vector<SimulatedSetupCall> setupCalls_;
  std::vector<SimulatedOpenCall> openCalls_;
};

}  // namespace quarrow
