// SPDX-License-Identifier: GPL-3.0-or-later
// What the window works on, around a simulated programmer: the connection and the two images, kept
// as the program keeps its own. The window tests, the
// README's picture and the event-loop benchmark each make a window from one such set.
#pragma once

#include <utility>

#include "QuarrowDlg.h"
#include "RecordingProgrammer.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::testing {

struct SimulatedWindowState {
  SimulatedProgrammer sim;
  RecordingProgrammer record{sim};  // what the window did to the programmer
  Connection connection{record};
  PromImage chip;
  PromImage buffer;

  QuarrowDlgContext Context(IDialogServices& services, WaitFunction wait = SleepMilliseconds,
                            AppLinks links = BuildTimeLinks(), const KnownDumpTable* knownDumps = nullptr) {
    return {connection, chip, buffer, services, std::move(wait), std::move(links), knownDumps};
  }
};

}  // namespace quarrow::testing
