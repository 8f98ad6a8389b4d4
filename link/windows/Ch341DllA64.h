// SPDX-License-Identifier: GPL-3.0-or-later
// The CH341 DLL's calls over WCH's CH341DLLA64.DLL, loaded when the program starts so that a
// machine without WCH's driver still runs (and says which driver to install). Windows only.
#pragma once

#include <mutex>

#include "Ch341Dll.h"
#include "DriverDll.h"

namespace quarrow {

class Ch341DllA64 final : public ICh341Dll {
 public:
  Ch341DllA64();
  ~Ch341DllA64() override;
  Ch341DllA64(const Ch341DllA64&) = delete;
  Ch341DllA64& operator=(const Ch341DllA64&) = delete;

  bool CH341OpenDevice(std::uint32_t index) override;
  void CH341CloseDevice(std::uint32_t index) override;
  std::string CH341GetDeviceName(std::uint32_t index) override;
  bool CH341Set_D5_D0(std::uint32_t index, std::uint8_t directions, std::uint8_t levels) override;
  bool CH341GetInput(std::uint32_t index, std::uint32_t* status) override;

  ProgrammerError LastError() const override;

 private:
  struct Api;
  // Records a call that answered FALSE as `problem`, with what the system said of it.
  bool Check(bool ok, ProgrammerProblem problem, const char* call);

  DriverDll dll_;
  Api* api_ = nullptr;  // null when the library is missing or lacks a call
  mutable std::mutex errorMutex_;  // the worker's pin calls fail while the window may ask
  ProgrammerError lastError_;
};

}  // namespace quarrow
