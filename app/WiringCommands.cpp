// SPDX-License-Identifier: GPL-3.0-or-later
// File > Programmer wiring and the wiring it leaves in use.
#include "WiringCommands.h"

#include "Feedback.h"
#include "ProgrammerChooser.h"
#include "Texts.h"
#include "WiringDialog.h"
#include "WiringSettings.h"

namespace quarrow {

WiringCommands::WiringCommands(Connection& connection, WiringSettings& wiring, ProgrammerChooser& chooser,
                               Feedback& feedback, WaitFunction wait)
    : m_connection(connection), m_wiring(wiring), m_chooser(chooser), m_feedback(feedback),
      m_wait(std::move(wait)) {}

void WiringCommands::ChooseWiring() {
  const std::optional<DeviceEntry> entry = m_chooser.Chosen();
  const std::string serial = entry ? entry->serial : std::string();
  StoredWirings stored;
  QString error;
  if (!m_wiring.Load(stored, error)) {
    m_feedback.ShowError(error);
    return;
  }
  const std::optional<FtdiChip> chip = entry ? entry->chip : std::nullopt;
  const PinAssignment defaults = m_wiring.DefaultFor(serial, stored);
  QString note;
  if (const std::optional<PinAssignment> environment = WiringSettings::FromEnvironment(note)) {
    note = QString::fromUtf8(res::kPinsVariableWins) + QString::fromStdString(environment->Text());
  }
  CWiringDialog dialog(serial, chip, stored.Own(serial).value_or(defaults), defaults, CheckFor(entry),
                       m_feedback.Owner());
  dialog.SetNote(note);
  if (chip) dialog.NameBoardPins(*chip, entry->port);
  if (entry) dialog.UseProgrammer(PinsOf(*entry));
  if (dialog.exec() != QDialog::Accepted) return;
  if (!m_wiring.Remember(serial, dialog.Chosen(), error)) {
    m_feedback.ShowError(error);
    return;
  }
  ApplyChangedWiring();
}

WiringCheck WiringCommands::CheckFor(const std::optional<DeviceEntry>& entry) {
  // The check needs this very programmer connected; the connection sets the pins up for the
  // assignment being tried and then back for the one in use. Pins the chip lacks are refused
  // before any is driven, as Connect refuses them.
  if (!m_connection.Connected() || !entry || !SameProgrammer(m_connection.Programmer(), *entry)) return {};
  return [this](const PinAssignment& pins, PinTrace& trace) {
    const DeviceEntry& programmer = m_connection.Programmer();
    WiringSelfTestResult result;
    if (programmer.chip) result.refused = PinsOnChip(*programmer.chip, pins, programmer.port);
    if (result.refused) return result;
    trace = m_connection.TraceFor(pins);
    return m_connection.SelfTest(pins, &trace, m_wait);
  };
}

void WiringCommands::ApplyChangedWiring() {
  if (!m_connection.Connected()) return;
  PinAssignment pins;
  QString error;
  if (!m_wiring.For(m_connection.Programmer().serial, pins, error) || pins == m_connection.Pins()) return;
  const DeviceEntry entry = m_connection.Programmer();
  if (m_chooser.ConnectTo(entry)) {
    m_feedback.SetStatus(QString::fromUtf8(res::kReconnectedWithWiring) + WiringInUse(m_connection.Pins()));
  }
}

}  // namespace quarrow
