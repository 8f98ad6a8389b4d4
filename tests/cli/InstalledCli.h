// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli on Windows as installed beside a driver DLL: a copy of the program in a folder of its
// own, where its loaders find a test stand-in under the driver's name, as they would find the
// vendor's library. The stand-ins' settings are cleared after each test.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"

namespace quarrow::testing {

class InstalledCli : public ::testing::Test {
 protected:
  explicit InstalledCli(const char* dllName) : dllName_(dllName) {}
  void TearDown() override {
    for (const wchar_t* name : {L"QUARROW_TEST_CHIP", L"QUARROW_TEST_FAULT", L"QUARROW_TEST_CHIP_TYPE",
                                L"QUARROW_TEST_CH341_FAULT", L"QUARROW_TEST_CH341_WIRING"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
  }
  // The copy of quarrow-cli.exe, with `dll` beside it under the driver's name (none when null).
  std::filesystem::path Install(const char* dll) {
    std::filesystem::copy_file(QUARROW_CLI_PATH, folder_ / "quarrow-cli.exe");
    if (dll != nullptr) std::filesystem::copy_file(dll, folder_ / dllName_);
    return folder_ / "quarrow-cli.exe";
  }
  // The stand-in's chip holds `mame`.
  void UseChip(const Bytes& mame) {
    WriteFileBytes(folder_ / "chip.prm", mame);
    SetEnvironmentVariableW(L"QUARROW_TEST_CHIP", (folder_ / "chip.prm").c_str());
  }

  TempFolder folder_;

 private:
  const char* dllName_;
};

}  // namespace quarrow::testing
