// SPDX-License-Identifier: GPL-3.0-or-later
// File > Programmer wiring: the wiring dialog for the programmer chosen in the device list, its
// check on that programmer while it is connected, and the chosen wiring stored and, when it has
// changed, set up on the connected programmer at once.
#pragma once

#include <optional>

#include "Connection.h"
#include "WiringDialog.h"

namespace quarrow {

class Feedback;
class ProgrammerChooser;
class WiringSettings;

class WiringCommands {
 public:
  WiringCommands(Connection& connection, WiringSettings& wiring, ProgrammerChooser& chooser, Feedback& feedback,
                 WaitFunction wait);

  void ChooseWiring();

 private:
  // The check the dialog offers: only for the programmer connected now.
  WiringCheck CheckFor(const std::optional<DeviceEntry>& entry);
  // The connected programmer set up again when its wiring has changed.
  void ApplyChangedWiring();

  Connection& m_connection;
  WiringSettings& m_wiring;
  ProgrammerChooser& m_chooser;
  Feedback& m_feedback;
  WaitFunction m_wait;
};

}  // namespace quarrow
