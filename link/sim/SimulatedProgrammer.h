// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated FTDI programmer (an FT232R unless told otherwise) with an RP5H01 on its pins, behind
// the D2XX seam: for demonstrating the tool without hardware and for testing the read-out, the
// device list and Connect.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "D2xx.h"
#include "FtdiChip.h"
#include "ImageFile.h"
#include "PinAssignment.h"
#include "PinPort.h"
#include "PromImage.h"

namespace quarrow {

inline constexpr const char* kSimulatedSerial = "QSIM0001";
inline constexpr const char* kSimulatedDescription = "Simulated RP5H01 programmer";

// The chip the simulation holds unless told otherwise; its text is
// "0123456789ABCDEF FEDCBA9876543210".
PromImage SimulatedSampleImage();

// A device record for SimulatedOptions::devices. A text as long as its field, or longer, fills the
// field with no terminating zero, as a misbehaving library's record would.
FT_DEVICE_LIST_INFO_NODE SimulatedDeviceRecord(const std::string& serial,
                                               const std::string& description,
                                               std::uint32_t type = FT_DEVICE_232R);

// Ways to make the simulation misbehave. May be changed at any time, also during a read.
struct SimulatedOptions {
  // Pin reads fail once the chip has been clocked this many times since its last reset
  // (0: every read fails). Negative: reads never fail.
  int failReadsFromBit = -1;
  // The programmer has been pulled out: the device list is empty, opens fail with
  // FT_DEVICE_NOT_FOUND, and every operation on a handle given out earlier fails with FT_IO_ERROR.
  bool unplugged = false;
  // Every open fails with FT_DEVICE_NOT_OPENED, as when another program holds the device.
  bool failOpen = false;
  // This stream bit reads inverted on every other read (the second, fourth, ... since the
  // programmer was opened, a read being counted at each reset), as through a marginal contact.
  // Negative: every bit reads true.
  int unstableBit = -1;
  // Replaces the one simulated device in the list with these records, taken byte for byte (they
  // need not be zero-terminated). Every listed record reaches the same simulated chip.
  std::optional<std::vector<FT_DEVICE_LIST_INFO_NODE>> devices = std::nullopt;
  // The chip the programmer is built on: its device type, its interfaces (one listed device each,
  // serials ending A, B, ...) and its bit-bang pins.
  FtdiChip chip = FtdiChip::FT232R;
  // How the board connects the PROM to the chip's pins, and whether the data line passes an
  // inverting buffer on its way.
  PinAssignment wiring = {};
};

class SimulatedProgrammer : public ID2xx {
 public:
  explicit SimulatedProgrammer(const PromImage& chip = SimulatedSampleImage());

  // Puts the chip from an image file into the programmer; on failure the chip stays as it was.
  FileStatus LoadChipFile(const std::filesystem::path& path, ImageFileLayout layout);
  void SetChip(const PromImage& chip);
  PromImage Chip() const;

  void SetOptions(const SimulatedOptions& options);
  SimulatedOptions Options() const;

  // The position in the device list of the device behind `handle`, or -1 if not open.
  int DeviceIndexOf(FT_HANDLE handle) const;

  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override;
  FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) override;
  FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) override;
  FT_STATUS FT_Open(int index, FT_HANDLE* handle) override;
  FT_STATUS FT_Close(FT_HANDLE handle) override;
  FT_STATUS FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) override;
  FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) override;
  FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) override;
  FT_STATUS FT_ResetDevice(FT_HANDLE handle) override;
  FT_STATUS FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                     std::uint32_t* written) override;
  FT_STATUS FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) override;
  std::string LastErrorText() const override;

 private:
  std::vector<FT_DEVICE_LIST_INFO_NODE> CurrentDevicesLocked() const;
  FT_STATUS CheckHandleLocked(FT_HANDLE handle);
  FT_STATUS OpenLocked(int deviceIndex, FT_HANDLE* handle);
  FT_STATUS FailLocked(FT_STATUS status, std::string text);
  void DriveLocked(std::uint8_t value);
  void SettleChipLocked();
  bool LevelLocked(int pin) const;

  mutable std::mutex mutex_;
  PromImage chip_;
  SimulatedOptions options_;
  std::vector<FT_DEVICE_LIST_INFO_NODE> listed_;  // the list made by the last FT_CreateDeviceInfoList
  bool listMade_ = false;
  std::map<FT_HANDLE, int> open_;  // handle -> device index
  std::uintptr_t nextHandle_ = 0x5150;

  // The pins and the chip.
  std::uint8_t pins_ = 0;  // the byte last written
  std::uint8_t directionMask_ = 0xFF;
  bool promClock_ = false;  // the levels at the PROM's inputs
  bool promReset_ = false;
  int bitCounter_ = 0;  // the stream bit the chip presents, 0..127
  long long clocksSinceReset_ = 0;
  long long resets_ = 0;  // rising edges of the reset pin

  std::string lastError_;
};

}  // namespace quarrow
