// SPDX-License-Identifier: GPL-3.0-or-later
// The D2XX operations over FTDI's ftd2xx.dll, loaded when the program starts so that a machine
// without the driver still runs (and says what is missing). Windows only.
#pragma once

#include <mutex>
#include <string>

#include "D2xx.h"
#include "DriverDll.h"

namespace quarrow {

class Ftd2xxDll : public ID2xx {
 public:
  Ftd2xxDll();
  ~Ftd2xxDll() override;
  Ftd2xxDll(const Ftd2xxDll&) = delete;
  Ftd2xxDll& operator=(const Ftd2xxDll&) = delete;

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

  ProgrammerError LastError() const override;

 private:
  struct Api;
  void Fail(ProgrammerProblem problem, std::string subject, std::string words);
  FT_STATUS Check(FT_STATUS status, ProgrammerProblem problem, const char* call = "");

  DriverDll dll_;
  Api* api_ = nullptr;  // null when the library is missing or lacks a call
  mutable std::mutex errorMutex_;  // the worker's pin calls fail while the window may ask
  ProgrammerError lastError_;
};

}  // namespace quarrow
