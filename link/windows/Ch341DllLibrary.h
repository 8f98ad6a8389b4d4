// SPDX-License-Identifier: GPL-3.0-or-later
// The programmer interface over WCH's CH341 DLL, for the CH341A on Windows: the chips the DLL
// numbers listed by their device names, opened by number, D0..D5 set as outputs or inputs and
// driven with CH341Set_D5_D0, D0..D7 read with CH341GetInput.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Ch341Dll.h"
#include "ProgrammerLibrary.h"

namespace quarrow {

class Ch341DllLibrary final : public IProgrammerLibrary {
 public:
  // Uses `dll`, which must outlive this library and every programmer it opened.
  explicit Ch341DllLibrary(ICh341Dll& dll) : dll_(dll) {}
  // Owns `dll`.
  explicit Ch341DllLibrary(std::unique_ptr<ICh341Dll> dll) : owned_(std::move(dll)), dll_(*owned_) {}

  std::vector<FoundProgrammer> List() override;
  // D6 and D7 in `outputs` are refused (InputOnlyPin) before the chip is opened.
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;

 private:
  std::unique_ptr<ICh341Dll> owned_;
  ICh341Dll& dll_;
  ListedProgrammers listed_;  // by device name
};

}  // namespace quarrow
