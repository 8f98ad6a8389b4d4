// SPDX-License-Identifier: GPL-3.0-or-later
// The few calls of FTDI's D2XX driver the tool uses, as D2xxLibrary makes the programmer interface
// of them: ftd2xx.dll loaded at run time implements them on Windows, the test DLL and the D2XX
// tests' fake beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ProgrammerError.h"

namespace quarrow {

using FT_HANDLE = void*;
using FT_STATUS = std::uint32_t;

// Status values the tool distinguishes; every other non-zero value is some other failure.
inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_INVALID_HANDLE = 1;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
inline constexpr FT_STATUS FT_IO_ERROR = 4;
inline constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
inline constexpr FT_STATUS FT_OTHER_ERROR = 18;

// Device types (FT_GetDeviceInfoList's Type field) of the chips with asynchronous bit-bang.
inline constexpr std::uint32_t FT_DEVICE_2232C = 4;
inline constexpr std::uint32_t FT_DEVICE_232R = 5;  // FT232R and FT245R
inline constexpr std::uint32_t FT_DEVICE_2232H = 6;
inline constexpr std::uint32_t FT_DEVICE_4232H = 7;
inline constexpr std::uint32_t FT_DEVICE_232H = 8;
inline constexpr std::uint32_t FT_DEVICE_X_SERIES = 9;  // FT230X, FT231X, FT234XD
inline constexpr std::uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr std::uint8_t FT_BITMODE_ASYNC_BITBANG = 1;

// One attached device as the library lists it. The strings are zero-terminated within their fields
// when the library behaves; code that reads them must not rely on it.
struct FT_DEVICE_LIST_INFO_NODE {
  std::uint32_t Flags = 0;
  std::uint32_t Type = 0;
  std::uint32_t ID = 0;
  std::uint32_t LocId = 0;
  char SerialNumber[16] = {};
  char Description[64] = {};
  FT_HANDLE ftHandle = nullptr;
};

// A record field as text: up to its terminating zero or the end of the field, never past it, since
// a misbehaving library may fill the whole field; at most `maxChars` characters.
template <std::size_t N>
std::string DeviceFieldText(const char (&field)[N], std::size_t maxChars = N) {
  std::size_t length = 0;
  while (length < N && length < maxChars && field[length] != 0) ++length;
  return std::string(field, length);
}

class ID2xx {
 public:
  virtual ~ID2xx() = default;

  virtual FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) = 0;
  // Fills records 0..*count-1 of the list made by the last FT_CreateDeviceInfoList; `count` holds
  // the capacity of `list` on entry and the number filled on return.
  virtual FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) = 0;
  // Opens the device whose serial number is `serial` (flag FT_OPEN_BY_SERIAL_NUMBER).
  virtual FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) = 0;
  // Opens the device at `index` of the last device list: for devices without a serial number.
  virtual FT_STATUS FT_Open(int index, FT_HANDLE* handle) = 0;
  virtual FT_STATUS FT_Close(FT_HANDLE handle) = 0;
  virtual FT_STATUS FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) = 0;
  virtual FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) = 0;
  virtual FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
  virtual FT_STATUS FT_ResetDevice(FT_HANDLE handle) = 0;
  virtual FT_STATUS FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                             std::uint32_t* written) = 0;
  // Reads the instantaneous levels of D0..D7.
  virtual FT_STATUS FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) = 0;

  // The last failure as a value: what went wrong and the library's own words. Not part of D2XX;
  // the person needs more than a status number.
  virtual ProgrammerError LastError() const = 0;
};

}  // namespace quarrow
