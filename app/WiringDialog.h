// SPDX-License-Identifier: GPL-3.0-or-later
// The "Programmer wiring" dialog: which pin carries the PROM's clock, reset and data, the data
// line's polarity, the default restored by one button, and "Check wiring..." on the connected
// programmer.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "FtdiChip.h"
#include "PinAssignment.h"
#include "PinTrace.h"
#include "ProgrammerPins.h"
#include "SelfTest.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace quarrow {

class CPinTraceView;

// Runs the self-test with an assignment on the connected programmer, recording its pin traffic in
// the trace.
using WiringCheck = std::function<WiringSelfTestResult(const PinAssignment&, PinTrace&)>;

class CWiringDialog : public QDialog {
  Q_OBJECT

 public:
  // `check` is empty when the programmer is not connected; `chip`, when known, limits the lists to
  // the pins it has.
  CWiringDialog(const std::string& serial, std::optional<FtdiChip> chip, const PinAssignment& current,
                const PinAssignment& defaults, WiringCheck check, QWidget* parent = nullptr);

  // A line without a pin (the chip lacks the one shown) has pin -1.
  PinAssignment Chosen() const;
  void Show(const PinAssignment& pins);
  // Names the pins in the lists as port `port` (0 = A) of `chip` prints them; an FT232R's names
  // until then.
  void NameBoardPins(FtdiChip chip, int port);
  // Offers the pins of `programmer` by its names: a CH341A's "D3/CLK", a GPIO chip's lines by
  // their names; pins it can only read are not offered for clock and reset.
  void UseProgrammer(const ProgrammerPins& programmer);
  // A note above the buttons, such as what $QUARROW_PINS does; empty: none.
  void SetNote(const QString& note);

  void OnDefault();
  void OnCheck();

 private:
  // The dialog's parts, top to bottom, in the order of their tab stops.
  void AddPinControls(QVBoxLayout* layout, const std::string& serial);
  // The Default and Check wiring buttons, the hint and the check's report and trace; returns the
  // Default button.
  QPushButton* AddCheckControls(QVBoxLayout* layout);
  QDialogButtonBox* AddDialogButtons(QVBoxLayout* layout);
  void Revalidate();

  PinAssignment m_defaults;
  std::optional<FtdiChip> m_chip;
  std::string m_missingPins;  // why the wiring last shown cannot be used on this chip
  std::optional<ProgrammerPins> m_programmer;  // the programmer of another family than FTDI's
  WiringCheck m_check;
  QComboBox* m_clock = nullptr;
  QComboBox* m_reset = nullptr;
  QComboBox* m_data = nullptr;
  QCheckBox* m_invert = nullptr;
  QLabel* m_problem = nullptr;
  QLabel* m_note = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_checkButton = nullptr;
  QPlainTextEdit* m_report = nullptr;
  CPinTraceView* m_trace = nullptr;
};

}  // namespace quarrow
