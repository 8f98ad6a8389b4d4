// SPDX-License-Identifier: GPL-3.0-or-later
// What the window works on, around a simulated programmer: the library, the handle, the pin port,
// the pin byte and the two images, kept as the program keeps its own. The window tests, the
// README's picture and the event-loop benchmark each make a window from one such set.
#pragma once

#include <cstdint>
#include <utility>

#include "QuarrowDlg.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::testing {

struct SimulatedWindowState {
  SimulatedProgrammer sim;
  FT_HANDLE handle = nullptr;
  CD2xxPinPort port{sim, handle};
  std::uint8_t pinByte = 0;
  PromImage chip;
  PromImage buffer;

  QuarrowDlgContext Context(IDialogServices& services, WaitFunction wait = SleepMilliseconds,
                            AppLinks links = BuildTimeLinks(), const KnownDumpTable* knownDumps = nullptr) {
    return {sim, handle, port, pinByte, chip, buffer, services, std::move(wait), std::move(links), knownDumps};
  }
};

}  // namespace quarrow::testing
