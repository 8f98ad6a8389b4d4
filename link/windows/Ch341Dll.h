// SPDX-License-Identifier: GPL-3.0-or-later
// The few calls of WCH's CH341 DLL (CH341DLLA64.DLL, installed with WCH's CH341PAR driver) the tool
// uses, as Ch341DllLibrary makes the programmer interface of them: the DLL loaded at run time
// implements them on Windows, the test DLL and the tests' fake beside it. Written from WCH's header
// of the DLL (CH341DLL.H, the English edition of its comments) and the CH341 datasheet (CH341DS1);
// every call is WINAPI there.
#pragma once

#include <cstdint>
#include <string>

#include "ProgrammerError.h"

namespace quarrow {

// mCH341_MAX_NUMBER: the DLL numbers at most this many CH341 chips, 0 being the first.
inline constexpr std::uint32_t kCh341MostDevices = 16;
// CH341Set_D5_D0 reaches D5..D0 only; D6 and D7 are inputs on the chip.
inline constexpr std::uint8_t kCh341DrivablePins = 0x3F;

class ICh341Dll {
 public:
  virtual ~ICh341Dll() = default;

  // HANDLE CH341OpenDevice(ULONG iIndex): opens the chip the DLL numbers `index`; its handle is
  // not needed, the other calls take the number. False when it gave INVALID_HANDLE_VALUE.
  virtual bool CH341OpenDevice(std::uint32_t index) = 0;
  // VOID CH341CloseDevice(ULONG iIndex).
  virtual void CH341CloseDevice(std::uint32_t index) = 0;
  // PVOID CH341GetDeviceName(ULONG iIndex): the system's name of the device the DLL numbers
  // `index` (at most MAX_DEVICE_PATH_SIZE, 128 characters), read without opening it; empty when
  // the DLL has no device there (NULL).
  virtual std::string CH341GetDeviceName(std::uint32_t index) = 0;
  // BOOL CH341Set_D5_D0(ULONG iIndex, ULONG iSetDirOut, ULONG iSetDataOut): bits 5..0 of
  // `directions` make D5..D0 outputs (1) or inputs (0), bits 5..0 of `levels` are the levels of
  // those that are outputs.
  virtual bool CH341Set_D5_D0(std::uint32_t index, std::uint8_t directions, std::uint8_t levels) = 0;
  // BOOL CH341GetInput(ULONG iIndex, PULONG iStatus): bits 7..0 of `status` are the levels of
  // D7..D0 (the higher bits other pins of the chip).
  virtual bool CH341GetInput(std::uint32_t index, std::uint32_t* status) = 0;

  // The last failure as a value: the DLL answers only TRUE or FALSE; this adds what the system
  // said and which call it was.
  virtual ProgrammerError LastError() const = 0;
};

}  // namespace quarrow
