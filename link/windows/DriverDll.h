// SPDX-License-Identifier: GPL-3.0-or-later
// A programmer family's driver library (ftd2xx.dll, CH341DLLA64.DLL), loaded at run time so that a
// machine without the driver still runs and says what is missing, and its calls found in it.
// Windows only.
#pragma once

#include <string>

#include "ProgrammerError.h"

namespace quarrow {

class DriverDll {
 public:
  // Loads `file` for the programmers of `family`; when it will not load, Error() says why.
  DriverDll(const wchar_t* file, const char* family);
  ~DriverDll();
  DriverDll(const DriverDll&) = delete;
  DriverDll& operator=(const DriverDll&) = delete;

  // Finds `call` in the library. The first call the library lacks unloads it, and Error() names
  // that call; `function` is then null, as it is for every call after it.
  template <typename F>
  void Resolve(const char* call, F& function) {
    function = reinterpret_cast<F>(Find(call));
  }
  // Loaded, with every call resolved so far.
  bool Usable() const { return module_ != nullptr; }
  const ProgrammerError& Error() const { return error_; }

 private:
  void* Find(const char* call);

  std::wstring file_;
  void* module_ = nullptr;  // HMODULE
  ProgrammerError error_;
};

}  // namespace quarrow
