// SPDX-License-Identifier: GPL-3.0-or-later
// The device list's entries, the choice among them and Connect.
#include "ProgrammerChooser.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "ConnectionText.h"
#include "Feedback.h"
#include "PrintableText.h"
#include "ProgrammerErrorText.h"
#include "Texts.h"
#include "WiringFile.h"
#include "WiringSettings.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

// A programmer's entry in the list: its serial spelled as everywhere else (WiringFile.h), so two
// serials that differ only in bytes that are not UTF-8 look different, and as the wiring dialog
// and the wiring file spell them.
QString EntryText(const DeviceEntry& entry) { return QString::fromUtf8(PrintableText(entry.text)); }

}  // namespace

QString WiringInUse(const PinAssignment& pins) {
  return Text(res::kWiringInUse) + QString::fromStdString(pins.Text()) +
         (pins.invertData ? Text(res::kDataInverted) : QString());
}

ProgrammerChooser::ProgrammerChooser(QComboBox* list, Connection& connection, WiringSettings& wiring,
                                     Feedback& feedback, std::function<void(bool)> enableActions)
    : m_list(list), m_connection(connection), m_wiring(wiring), m_feedback(feedback),
      m_enableActions(std::move(enableActions)) {}

void ProgrammerChooser::Fill() {
  m_list->clear();
  m_devices = m_connection.List();
  if (m_devices.empty()) {
    QString text = QString::fromStdString(NothingFoundText(m_connection.FamiliesSought()));
    for (const ProgrammerError& failure : m_connection.ListFailures()) {
      const std::string reason = ProgrammerErrorText(failure);
      if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromUtf8(reason);
    }
    m_feedback.ShowMessage(text, Text(res::kCaptionError));
    return;
  }
  AddEntries();
  m_list->setCurrentIndex(0);
  ShowStartOfText();
}

void ProgrammerChooser::AddEntries() {
  // The entries come sorted as a sorted Windows combo box orders them; each item keeps the index of
  // the device it stands for.
  for (std::size_t i = 0; i < m_devices.size(); ++i) {
    m_list->addItem(EntryText(m_devices[i]), static_cast<int>(i));
  }
}

void ProgrammerChooser::ShowStartOfText() {
  // An entry longer than the box shows its start, the serial number, rather than its end.
  if (m_list->lineEdit()) m_list->lineEdit()->home(false);
}

void ProgrammerChooser::Relist() {
  // What the person has chosen: an entry, or text of their own that names none.
  const QString text = m_list->currentText();
  const int index = m_list->currentIndex();
  const bool typed = index < 0 || m_list->itemText(index) != text;
  const QString selected =
      typed ? QString() : EntryText(m_devices.at(static_cast<std::size_t>(m_list->itemData(index).toInt())));

  std::vector<DeviceEntry> devices = m_connection.List();
  const bool sameEntries = std::equal(devices.begin(), devices.end(), m_devices.begin(), m_devices.end(),
                                      [](const DeviceEntry& a, const DeviceEntry& b) { return a.text == b.text; });
  // Always the new records: a device without a serial opens by its position in the newest list.
  m_devices = std::move(devices);
  if (sameEntries) return;

  m_list->clear();
  AddEntries();
  if (typed) {
    m_list->setCurrentIndex(-1);
    m_list->setEditText(text);
    return;
  }
  const int kept = m_list->findText(selected, Qt::MatchExactly | Qt::MatchCaseSensitive);
  m_list->setCurrentIndex(kept >= 0 ? kept : (m_devices.empty() ? -1 : 0));
  ShowStartOfText();
}

std::optional<DeviceEntry> ProgrammerChooser::Chosen() const {
  const QString text = m_list->currentText();
  // The selected item when the text is still its own; entries may differ only in case, so the
  // lookup of typed text is case-sensitive.
  int index = m_list->currentIndex();
  if (index < 0 || m_list->itemText(index) != text) {
    index = m_list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  }
  if (index >= 0) return m_devices.at(static_cast<std::size_t>(m_list->itemData(index).toInt()));
  // Text typed by the person that names no entry: a listed programmer's serial as the list spells
  // it, else a serial number as typed.
  const std::string typed = text.trimmed().toStdString();
  for (const DeviceEntry& entry : m_devices) {
    if (!typed.empty() && SerialSpelling(entry.serial) == typed) return entry;
  }
  if (!typed.empty()) return EntryForSerial(typed);
  return std::nullopt;
}

void ProgrammerChooser::Connect() {
  const std::optional<DeviceEntry> chosen = Chosen();
  if (!chosen || !ConnectTo(*chosen)) return;
  QString status = Text(res::kConnected);
  const PinAssignment& pins = m_connection.Pins();
  if (!pins.IsDefault()) status += QStringLiteral(" - ") + WiringInUse(pins);
  m_feedback.SetStatus(status);
}

bool ProgrammerChooser::ConnectTo(const DeviceEntry& entry) {
  PinAssignment pins;
  QString wiringError;
  if (!m_wiring.For(entry.serial, pins, wiringError)) {
    m_feedback.ShowError(wiringError);
    return false;
  }
  // Connecting again to the programmer in use closes it first, and its actions go with it; a
  // different programmer that will not open leaves the earlier connection as it was.
  const bool again = m_connection.Connected() && SameProgrammer(m_connection.Programmer(), entry);
  const ConnectResult result = m_connection.Connect(entry, pins);
  if (!result.ok) {
    if (again) m_enableActions(false);
    m_feedback.ShowError(WithReason(Text(res::kCantOpenDevice), ConnectFailureText(result)));
    return false;
  }
  m_enableActions(true);
  return true;
}

}  // namespace quarrow
