// SPDX-License-Identifier: GPL-3.0-or-later
// The device list and Connect: the programmers attached as the list's entries, listed again as the
// list drops down, the entry or typed serial chosen, and that programmer opened with the wiring it
// gets, said on the status line.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "Connection.h"

class QComboBox;

namespace quarrow {

class Feedback;
class WiringSettings;

class ProgrammerChooser {
 public:
  // `enableActions` enables the window's actions once a programmer is open and disables them when
  // the one in use is lost.
  ProgrammerChooser(QComboBox* list, Connection& connection, WiringSettings& wiring, Feedback& feedback,
                    std::function<void(bool)> enableActions);

  // The programmers attached, the first one chosen; none is said in a box, with the library's reason.
  void Fill();
  // Lists the programmers again, keeping the chosen one if it is still attached, so a programmer
  // plugged in after start-up can be chosen.
  void Relist();
  // The list's chosen entry, or typed text as a serial number; nothing when it is empty.
  std::optional<DeviceEntry> Chosen() const;
  // Opens the chosen programmer and says so, naming a wiring other than the original board's.
  void Connect();
  // Opens `entry` with the wiring it gets; false, said, when it cannot be opened.
  bool ConnectTo(const DeviceEntry& entry);

 private:
  void AddEntries();
  void ShowStartOfText();

  QComboBox* m_list;
  Connection& m_connection;
  WiringSettings& m_wiring;
  Feedback& m_feedback;
  std::function<void(bool)> m_enableActions;
  std::vector<DeviceEntry> m_devices;  // the list's entries, in list order
};

// "Pin assignment in use: clock=D2,reset=D3,data=D6, data inverted"
QString WiringInUse(const PinAssignment& pins);

}  // namespace quarrow
