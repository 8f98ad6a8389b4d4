// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for WCH's CH341DLLA64.DLL, for tests under Wine or Windows only, never installed: one
// CH341A with an RP5H01 on its pins (PromBoard) behind the DLL's calls the program loads, with
// the signatures of WCH's CH341DLL.H: CH341GetDeviceName its list, CH341OpenDevice and
// CH341CloseDevice, CH341Set_D5_D0 its directions and levels, CH341GetInput its pins.
//   QUARROW_TEST_CHIP          a MAME-layout image file the PROM holds (default: the simulator's sample)
//   QUARROW_TEST_CH341_WIRING  where the PROM meets D0..D7, "clock=D3,reset=D5,data=D7" (default
//                              clock=D0,reset=D1,data=D4)
//   QUARROW_TEST_CH341_FAULT   "no-device": the DLL numbers no chip; "open-fails": CH341OpenDevice
//                              fails as for a chip another program holds; "unplugged-mid-read": the
//                              chip goes once the PROM has been clocked 64 times since a reset, and
//                              every call on it fails from then on, as the driver's requests do
// Built a second time without CH341GetInput, as an old or foreign CH341DLLA64.DLL would be.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "PromBoard.h"
#include "ImageFile.h"
#include "sim/SimulatedProgrammer.h"

namespace {

constexpr char kName[] = R"(\\?\usb#vid_1a86&pid_5512#5&2f1c0a7&0&3#{quarrow-test})";
constexpr long long kUnplugAtClock = 64;

std::string Environment(const char* name) {
  std::wstring wide(name, name + std::strlen(name));
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size())));
  return std::string(value.begin(), value.end());  // the variables here hold ASCII
}

bool Fault(const char* name) {
  static const std::string fault = Environment("QUARROW_TEST_CH341_FAULT");
  return fault == name;
}

// The chip, made on first use, not in DllMain, where the loader lock forbids most of what this does.
struct Chip {
  std::mutex mutex;
  std::unique_ptr<quarrow::test::PromBoard> board;
  bool open = false;
  bool unplugged = false;
};

Chip& TheChip() {
  static Chip* const chip = [] {
    auto* made = new Chip;
    quarrow::PromImage prom = quarrow::SimulatedSampleImage();
    std::wstring file(32768, L'\0');
    file.resize(GetEnvironmentVariableW(L"QUARROW_TEST_CHIP", file.data(), static_cast<DWORD>(file.size())));
    // A chip file that cannot be read leaves the PROM empty rather than the sample: a test that
    // named a file must not pass on the sample's bits.
    if (!file.empty() && !quarrow::OpenImageFile(file, quarrow::ImageFileLayout::Mame, prom)) prom = {};
    quarrow::PinAssignment wiring;
    if (const std::string text = Environment("QUARROW_TEST_CH341_WIRING"); !text.empty()) {
      wiring = quarrow::ParsePinAssignment(text).assignment.value_or(wiring);
    }
    made->board = std::make_unique<quarrow::test::PromBoard>(prom, wiring, quarrow::test::kCh341aDrivenPins);
    return made;
  }();
  return *chip;
}

// The open chip at `index`, its lock held by `lock`; null, with the system's error set as the
// driver's failed request leaves it, when there is none.
quarrow::test::PromBoard* Opened(ULONG index, std::unique_lock<std::mutex>& lock) {
  Chip& chip = TheChip();
  lock = std::unique_lock(chip.mutex);
  if (chip.unplugged) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return nullptr;
  }
  if (index != 0 || !chip.open) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return chip.board.get();
}

}  // namespace

#define CH341_EXPORT(type) extern "C" __declspec(dllexport) type WINAPI

CH341_EXPORT(PVOID) CH341GetDeviceName(ULONG index) {
  if (index != 0 || Fault("no-device") || TheChip().unplugged) return nullptr;
  return const_cast<char*>(kName);
}

CH341_EXPORT(HANDLE) CH341OpenDevice(ULONG index) {
  Chip& chip = TheChip();
  std::lock_guard lock(chip.mutex);
  if (index != 0 || Fault("no-device") || chip.unplugged) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (Fault("open-fails")) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  chip.open = true;
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x341));
}

CH341_EXPORT(VOID) CH341CloseDevice(ULONG index) {
  Chip& chip = TheChip();
  std::lock_guard lock(chip.mutex);
  if (index == 0) chip.open = false;
}

CH341_EXPORT(BOOL) CH341Set_D5_D0(ULONG index, ULONG directions, ULONG levels) {
  std::unique_lock<std::mutex> lock;
  quarrow::test::PromBoard* board = Opened(index, lock);
  if (board == nullptr) return FALSE;
  board->Set(static_cast<std::uint8_t>(directions), static_cast<std::uint8_t>(levels));
  return TRUE;
}

#ifndef QUARROW_TEST_WITHOUT_GETINPUT
CH341_EXPORT(BOOL) CH341GetInput(ULONG index, PULONG status) {
  std::unique_lock<std::mutex> lock;
  quarrow::test::PromBoard* board = Opened(index, lock);
  if (board == nullptr || status == nullptr) return FALSE;
  if (Fault("unplugged-mid-read") && board->Prom().ClocksSinceReset() >= kUnplugAtClock) {
    TheChip().unplugged = true;
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
  }
  *status = board->Pins();
  return TRUE;
}
#endif
