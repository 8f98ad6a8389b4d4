// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341 DLL's calls over CH341DLLA64.DLL, resolved with GetProcAddress. The function types are
// those of WCH's CH341DLL.H; ULONG is 32 bits on Windows.
#include "Ch341DllA64.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <memory>

#include "ProgrammerLibrary.h"
#include "WindowsErrorText.h"

namespace quarrow {

static_assert(sizeof(ULONG) == sizeof(std::uint32_t));

struct Ch341DllA64::Api {
  using OpenDevice = HANDLE(WINAPI*)(ULONG);
  using CloseDevice = VOID(WINAPI*)(ULONG);
  using GetDeviceName = PVOID(WINAPI*)(ULONG);
  using SetD5D0 = BOOL(WINAPI*)(ULONG, ULONG, ULONG);
  using GetInput = BOOL(WINAPI*)(ULONG, PULONG);

  OpenDevice openDevice = nullptr;
  CloseDevice closeDevice = nullptr;
  GetDeviceName getDeviceName = nullptr;
  SetD5D0 setD5D0 = nullptr;
  GetInput getInput = nullptr;
};

namespace {

constexpr const char* kFile = "CH341DLLA64.DLL";
constexpr std::size_t kMostNameChars = 128;  // MAX_DEVICE_PATH_SIZE

// The system's errors that mean the chip is no longer there, as the driver's requests fail when it
// is pulled out.
bool Gone(DWORD error) {
  return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEV_NOT_EXIST || error == ERROR_DEVICE_REMOVED;
}

}  // namespace

Ch341DllA64::Ch341DllA64() : dll_(L"CH341DLLA64.DLL", kCh341aFamily) {
  auto api = std::make_unique<Api>();
  dll_.Resolve("CH341OpenDevice", api->openDevice);
  dll_.Resolve("CH341CloseDevice", api->closeDevice);
  dll_.Resolve("CH341GetDeviceName", api->getDeviceName);
  dll_.Resolve("CH341Set_D5_D0", api->setD5D0);
  dll_.Resolve("CH341GetInput", api->getInput);
  lastError_ = dll_.Error();  // no failure when it loaded whole
  if (dll_.Usable()) api_ = api.release();
}

Ch341DllA64::~Ch341DllA64() { delete api_; }

ProgrammerError Ch341DllA64::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

bool Ch341DllA64::Check(bool ok, ProgrammerProblem problem, const char* call) {
  if (ok) return true;
  // The DLL says no more than FALSE; the request it made of the driver left the system's reason.
  const DWORD error = GetLastError();
  std::string words = std::string(call) + " failed";
  if (error != ERROR_SUCCESS) words += " (" + WindowsErrorReason(error, kFile) + ")";
  std::lock_guard lock(errorMutex_);
  lastError_ = {Gone(error) ? ProgrammerProblem::Unplugged : problem, kFile, kCh341aFamily, "", std::move(words)};
  return false;
}

bool Ch341DllA64::CH341OpenDevice(std::uint32_t index) {
  if (!api_) return false;  // lastError_ says why the library is missing
  SetLastError(ERROR_SUCCESS);
  const HANDLE handle = api_->openDevice(index);
  const DWORD error = GetLastError();
  // Another program has the chip open: the driver refuses a second open.
  const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_BUSY;
  SetLastError(error);
  return Check(handle != INVALID_HANDLE_VALUE && handle != nullptr,
               held ? ProgrammerProblem::InUse : ProgrammerProblem::CannotOpen, "CH341OpenDevice");
}

void Ch341DllA64::CH341CloseDevice(std::uint32_t index) {
  if (api_) api_->closeDevice(index);
}

std::string Ch341DllA64::CH341GetDeviceName(std::uint32_t index) {
  if (!api_) return {};
  const char* name = static_cast<const char*>(api_->getDeviceName(index));
  if (name == nullptr) return {};
  // Up to its terminating zero or the buffer's documented end, never past it.
  return std::string(name, strnlen(name, kMostNameChars));
}

bool Ch341DllA64::CH341Set_D5_D0(std::uint32_t index, std::uint8_t directions, std::uint8_t levels) {
  if (!api_) return false;
  SetLastError(ERROR_SUCCESS);
  return Check(api_->setD5D0(index, directions & kCh341DrivablePins, levels & kCh341DrivablePins) != FALSE,
               ProgrammerProblem::PinWriteFailed, "CH341Set_D5_D0");
}

bool Ch341DllA64::CH341GetInput(std::uint32_t index, std::uint32_t* status) {
  if (!status || !api_) return false;
  SetLastError(ERROR_SUCCESS);
  ULONG value = 0;
  if (!Check(api_->getInput(index, &value) != FALSE, ProgrammerProblem::PinReadFailed, "CH341GetInput")) return false;
  *status = value;
  return true;
}

}  // namespace quarrow
