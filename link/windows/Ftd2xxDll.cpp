// SPDX-License-Identifier: GPL-3.0-or-later
// The D2XX operations over ftd2xx.dll, resolved with GetProcAddress. The function types are written
// from FTDI's published D2XX programmer's guide; FT_STATUS, DWORD and ULONG are 32 bits on Windows.
#include "Ftd2xxDll.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "ProgrammerLibrary.h"

namespace quarrow {

// The library's record has the same layout: three ULONGs, a DWORD, 16 and 64 chars, a handle.
static_assert(sizeof(ULONG) == sizeof(std::uint32_t) && sizeof(DWORD) == sizeof(std::uint32_t));
static_assert(sizeof(FT_DEVICE_LIST_INFO_NODE) == 4 * 4 + 16 + 64 + sizeof(void*));

struct Ftd2xxDll::Api {
  using CreateDeviceInfoList = ULONG(WINAPI*)(DWORD*);
  using GetDeviceInfoList = ULONG(WINAPI*)(FT_DEVICE_LIST_INFO_NODE*, DWORD*);
  using OpenEx = ULONG(WINAPI*)(PVOID, DWORD, FT_HANDLE*);
  using Open = ULONG(WINAPI*)(int, FT_HANDLE*);
  using Close = ULONG(WINAPI*)(FT_HANDLE);
  using SetBitMode = ULONG(WINAPI*)(FT_HANDLE, UCHAR, UCHAR);
  using SetBaudRate = ULONG(WINAPI*)(FT_HANDLE, ULONG);
  using SetTimeouts = ULONG(WINAPI*)(FT_HANDLE, ULONG, ULONG);
  using ResetDevice = ULONG(WINAPI*)(FT_HANDLE);
  using Write = ULONG(WINAPI*)(FT_HANDLE, LPVOID, DWORD, LPDWORD);
  using GetBitMode = ULONG(WINAPI*)(FT_HANDLE, PUCHAR);

  CreateDeviceInfoList createDeviceInfoList = nullptr;
  GetDeviceInfoList getDeviceInfoList = nullptr;
  OpenEx openEx = nullptr;
  Open open = nullptr;
  Close close = nullptr;
  SetBitMode setBitMode = nullptr;
  SetBaudRate setBaudRate = nullptr;
  SetTimeouts setTimeouts = nullptr;
  ResetDevice resetDevice = nullptr;
  Write write = nullptr;
  GetBitMode getBitMode = nullptr;
  DWORD listed = 0;  // records in the library's list as of the last FT_CreateDeviceInfoList
};

namespace {

// No machine has this many FTDI devices attached; a larger count is a library that lies, and a list
// of that size would not fit in memory.
constexpr DWORD kMostDevices = 1024;

const char* StatusName(FT_STATUS status) {
  static const char* const names[] = {
      "FT_OK", "FT_INVALID_HANDLE", "FT_DEVICE_NOT_FOUND", "FT_DEVICE_NOT_OPENED", "FT_IO_ERROR",
      "FT_INSUFFICIENT_RESOURCES", "FT_INVALID_PARAMETER", "FT_INVALID_BAUD_RATE",
      "FT_DEVICE_NOT_OPENED_FOR_ERASE", "FT_DEVICE_NOT_OPENED_FOR_WRITE",
      "FT_FAILED_TO_WRITE_DEVICE", "FT_EEPROM_READ_FAILED", "FT_EEPROM_WRITE_FAILED",
      "FT_EEPROM_ERASE_FAILED", "FT_EEPROM_NOT_PRESENT", "FT_EEPROM_NOT_PROGRAMMED",
      "FT_INVALID_ARGS", "FT_NOT_SUPPORTED", "FT_OTHER_ERROR", "FT_DEVICE_LIST_NOT_READY"};
  return status < std::size(names) ? names[status] : "unknown D2XX status";
}

}  // namespace


Ftd2xxDll::Ftd2xxDll() : dll_(L"ftd2xx.dll", kFtdiFamily) {
  lastError_.family = kFtdiFamily;
  auto api = std::make_unique<Api>();
  dll_.Resolve("FT_CreateDeviceInfoList", api->createDeviceInfoList);
  dll_.Resolve("FT_GetDeviceInfoList", api->getDeviceInfoList);
  dll_.Resolve("FT_OpenEx", api->openEx);
  dll_.Resolve("FT_Open", api->open);
  dll_.Resolve("FT_Close", api->close);
  dll_.Resolve("FT_SetBitMode", api->setBitMode);
  dll_.Resolve("FT_SetBaudRate", api->setBaudRate);
  dll_.Resolve("FT_SetTimeouts", api->setTimeouts);
  dll_.Resolve("FT_ResetDevice", api->resetDevice);
  dll_.Resolve("FT_Write", api->write);
  dll_.Resolve("FT_GetBitMode", api->getBitMode);
  if (!dll_.Usable()) {
    lastError_ = dll_.Error();
    return;
  }
  api_ = api.release();
}

Ftd2xxDll::~Ftd2xxDll() { delete api_; }

ProgrammerError Ftd2xxDll::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

void Ftd2xxDll::Fail(ProgrammerProblem problem, std::string subject, std::string words) {
  std::lock_guard lock(errorMutex_);
  lastError_.problem = problem;
  // A driver that will not load speaks of itself by its file; the others' failures are its own.
  const bool driver = problem == ProgrammerProblem::DriverMissing || problem == ProgrammerProblem::DriverCopyBroken ||
                      problem == ProgrammerProblem::DriverIncomplete || problem == ProgrammerProblem::DriverOutdated;
  lastError_.source = driver ? "" : "ftd2xx.dll";
  lastError_.subject = std::move(subject);
  lastError_.words = std::move(words);
}

FT_STATUS Ftd2xxDll::Check(FT_STATUS status, ProgrammerProblem problem, const char* call) {
  // The library's status by its own name: FT_IO_ERROR (4).
  if (status != FT_OK) Fail(problem, call, std::string(StatusName(status)) + " (" + std::to_string(status) + ")");
  return status;
}

FT_STATUS Ftd2xxDll::FT_CreateDeviceInfoList(std::uint32_t* count) {
  if (!count) return FT_INVALID_PARAMETER;
  *count = 0;
  if (!api_) return FT_OTHER_ERROR;  // lastError_ says why the library is missing
  DWORD n = 0;
  const FT_STATUS status = Check(api_->createDeviceInfoList(&n), ProgrammerProblem::ListFailed);
  api_->listed = status == FT_OK ? n : 0;
  if (api_->listed > kMostDevices) {
    api_->listed = 0;
    Fail(ProgrammerProblem::DriverFaulty, std::to_string(n), {});
    return FT_OTHER_ERROR;
  }
  *count = api_->listed;
  return status;
}

FT_STATUS Ftd2xxDll::FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) {
  if (!list || !count) return FT_INVALID_PARAMETER;
  if (!api_) {
    *count = 0;
    return FT_OTHER_ERROR;
  }
  // The library fills every record it counted, whatever the caller's capacity.
  std::vector<FT_DEVICE_LIST_INFO_NODE> all(std::max<DWORD>(api_->listed, 1));
  DWORD n = api_->listed;
  const FT_STATUS status =
      Check(api_->getDeviceInfoList(all.data(), &n), ProgrammerProblem::ListFailed);
  if (status != FT_OK) {
    *count = 0;
    return status;
  }
  n = std::min<DWORD>({n, api_->listed, *count});
  // Copied whole: a serial may fill all 16 bytes without a terminator, and cut to 15 it would name
  // no device. Readers of the record stop at the field's end (DeviceFieldText).
  std::copy_n(all.begin(), n, list);
  *count = n;
  return FT_OK;
}

FT_STATUS Ftd2xxDll::FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) {
  if (!serial || !handle) return FT_INVALID_PARAMETER;
  if (!api_) return FT_OTHER_ERROR;
  FT_HANDLE opened = nullptr;
  const FT_STATUS status = Check(api_->openEx(const_cast<char*>(serial), flags, &opened),
                                 ProgrammerProblem::CannotOpen);
  if (status == FT_OK) *handle = opened;
  return status;
}

FT_STATUS Ftd2xxDll::FT_Open(int index, FT_HANDLE* handle) {
  if (!handle) return FT_INVALID_PARAMETER;
  if (!api_) return FT_OTHER_ERROR;
  FT_HANDLE opened = nullptr;
  const FT_STATUS status = Check(api_->open(index, &opened), ProgrammerProblem::CannotOpen);
  if (status == FT_OK) *handle = opened;
  return status;
}

FT_STATUS Ftd2xxDll::FT_Close(FT_HANDLE handle) {
  if (!api_) return FT_OTHER_ERROR;
  return Check(api_->close(handle), ProgrammerProblem::CloseFailed);
}

FT_STATUS Ftd2xxDll::FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) {
  if (!api_) return FT_OTHER_ERROR;
  return Check(api_->setBitMode(handle, mask, mode), ProgrammerProblem::SetupFailed, "FT_SetBitMode");
}

FT_STATUS Ftd2xxDll::FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) {
  if (!api_) return FT_OTHER_ERROR;
  return Check(api_->setBaudRate(handle, baud), ProgrammerProblem::SetupFailed, "FT_SetBaudRate");
}

FT_STATUS Ftd2xxDll::FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) {
  if (!api_) return FT_OTHER_ERROR;
  return Check(api_->setTimeouts(handle, readMs, writeMs), ProgrammerProblem::SetupFailed, "FT_SetTimeouts");
}

FT_STATUS Ftd2xxDll::FT_ResetDevice(FT_HANDLE handle) {
  if (!api_) return FT_OTHER_ERROR;
  return Check(api_->resetDevice(handle), ProgrammerProblem::SetupFailed, "FT_ResetDevice");
}

FT_STATUS Ftd2xxDll::FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                              std::uint32_t* written) {
  if (!data || !written) return FT_INVALID_PARAMETER;
  *written = 0;
  if (!api_) return FT_OTHER_ERROR;
  DWORD count = 0;
  const FT_STATUS status = Check(api_->write(handle, const_cast<void*>(data), size, &count),
                                 ProgrammerProblem::PinWriteFailed);
  *written = count;
  if (status == FT_OK && count < size) {
    Fail(ProgrammerProblem::PinWriteFailed, {}, "took " + std::to_string(count) + " of " + std::to_string(size) + " bytes");
    return FT_IO_ERROR;
  }
  return status;
}

FT_STATUS Ftd2xxDll::FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) {
  if (!pins) return FT_INVALID_PARAMETER;
  if (!api_) return FT_OTHER_ERROR;
  UCHAR value = 0;
  const FT_STATUS status = Check(api_->getBitMode(handle, &value), ProgrammerProblem::PinReadFailed);
  if (status == FT_OK) *pins = value;
  return status;
}

}  // namespace quarrow
