// SPDX-License-Identifier: GPL-3.0-or-later
// The "Programmer wiring" dialog.
#include "WiringDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "PinTraceView.h"
#include "Programmer.h"
#include "SelfTestText.h"
#include "WiringFile.h"
#include "WiringText.h"
#include "Texts.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

// Each pin under its bit-bang number and the name the board prints: "D2 (RTS)", "D2 (ADBUS2)".
QString PinItem(int pin, FtdiChip chip, int port) {
  return QString::fromStdString(PinName(pin) + " (" + BoardPinName(chip, port, pin) + ")");
}

// The pins the chip has; all eight when it is not known (a serial typed rather than listed), named
// as an FT232R names them.
QComboBox* PinList(QWidget* parent, const char* name, const char* description, std::optional<FtdiChip> chip) {
  auto* list = new QComboBox(parent);
  list->setObjectName(Text(name));
  list->setAccessibleDescription(Text(description));
  const int pins = chip ? FactsOf(*chip).bitBangPins : 8;
  for (int pin = 0; pin < pins; ++pin) list->addItem(PinItem(pin, chip.value_or(FtdiChip::FT232R), 0), pin);
  return list;
}

}  // namespace

CWiringDialog::CWiringDialog(const std::string& serial, std::optional<FtdiChip> chip, const PinAssignment& current,
                             const PinAssignment& defaults, WiringCheck check, QWidget* parent)
    : QDialog(parent), m_defaults(defaults), m_chip(chip), m_check(std::move(check)) {
  setObjectName(Text(res::kWiringDialogName));
  setWindowTitle(Text(res::kWiringTitle));
  auto* layout = new QVBoxLayout(this);
  AddPinControls(layout, serial);
  QPushButton* defaultButton = AddCheckControls(layout);
  QDialogButtonBox* buttons = AddDialogButtons(layout);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defaultButton, &QPushButton::clicked, this, &CWiringDialog::OnDefault);
  connect(m_checkButton, &QPushButton::clicked, this, &CWiringDialog::OnCheck);
  for (QComboBox* list : {m_clock, m_reset, m_data}) {
    connect(list, &QComboBox::currentIndexChanged, this, &CWiringDialog::Revalidate);
  }
  Show(current);
  m_clock->setFocus();
}

void CWiringDialog::AddPinControls(QVBoxLayout* layout, const std::string& serial) {
  // The serial comes from the device: plain text, never markup, spelled as the list and the wiring
  // file spell it.
  auto* heading = new QLabel(Text(res::kWiringFor) + (serial.empty() ? Text(res::kWiringNoProgrammer)
                                                                     : QString::fromUtf8(SerialSpelling(serial))),
                             this);
  heading->setTextFormat(Qt::PlainText);
  layout->addWidget(heading);

  auto* form = new QFormLayout;
  m_clock = PinList(this, res::kWiringClockName, res::kWiringClockDescription, m_chip);
  m_reset = PinList(this, res::kWiringResetName, res::kWiringResetDescription, m_chip);
  m_data = PinList(this, res::kWiringDataName, res::kWiringDataDescription, m_chip);
  // addRow with a text makes each label the buddy of its list, so Alt+C, Alt+R and Alt+D reach them.
  form->addRow(Text(res::kWiringClockLabel), m_clock);
  form->addRow(Text(res::kWiringResetLabel), m_reset);
  form->addRow(Text(res::kWiringDataLabel), m_data);
  layout->addLayout(form);
  m_invert = new QCheckBox(Text(res::kWiringInvertData), this);
  m_invert->setObjectName(Text(res::kWiringInvertName));
  m_invert->setAccessibleDescription(Text(res::kWiringInvertDescription));
  layout->addWidget(m_invert);
  m_problem = new QLabel(this);
  m_problem->setTextFormat(Qt::PlainText);
  m_problem->setWordWrap(true);
  layout->addWidget(m_problem);
  m_note = new QLabel(this);
  m_note->setTextFormat(Qt::PlainText);
  m_note->setWordWrap(true);
  m_note->hide();
  layout->addWidget(m_note);
}

QPushButton* CWiringDialog::AddCheckControls(QVBoxLayout* layout) {
  auto* defaultButton = new QPushButton(Text(res::kWiringDefault), this);
  defaultButton->setObjectName(Text(res::kWiringDefaultName));
  defaultButton->setAutoDefault(false);
  defaultButton->setAccessibleDescription(Text(res::kWiringDefaultDescription));
  m_checkButton = new QPushButton(Text(res::kWiringCheck), this);
  m_checkButton->setObjectName(Text(res::kWiringCheckName));
  m_checkButton->setAutoDefault(false);
  m_checkButton->setAccessibleDescription(Text(res::kWiringCheckDescription));
  m_checkButton->setEnabled(static_cast<bool>(m_check));
  if (!m_check) m_checkButton->setToolTip(Text(res::kWiringCheckNeedsConnect));
  auto* row = new QHBoxLayout;
  row->addWidget(defaultButton);
  row->addWidget(m_checkButton);
  row->addStretch(1);
  layout->addLayout(row);

  // Real text, not a placeholder, so that a screen reader reads it as well.
  auto* hint = new QLabel(Text(m_check ? res::kWiringAppliesNow : res::kWiringApplies), this);
  hint->setObjectName(Text(res::kWiringHintName));
  hint->setTextFormat(Qt::PlainText);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  m_report = new QPlainTextEdit(this);
  m_report->setObjectName(Text(res::kWiringReportName));
  m_report->setReadOnly(true);
  m_report->setTabChangesFocus(true);
  m_report->setAccessibleName(Text(res::kWiringReportAccessibleName));
  m_report->setAccessibleDescription(Text(res::kWiringReportDescription));
  layout->addWidget(m_report);
  m_trace = new CPinTraceView(this);
  layout->addWidget(m_trace);
  return defaultButton;
}

QDialogButtonBox* CWiringDialog::AddDialogButtons(QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setAccessibleDescription(Text(m_check ? res::kWiringOkConnectedDescription : res::kWiringOkDescription));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleDescription(Text(res::kWiringCancelDescription));
  layout->addWidget(buttons);
  return buttons;
}

void CWiringDialog::UseProgrammer(const ProgrammerPins& programmer) {
  if (programmer.chip || programmer.family.empty()) return;  // an FTDI chip's lists are named as its board names them
  const PinAssignment shown = Chosen();
  m_programmer = programmer;
  for (QComboBox* list : {m_clock, m_reset, m_data}) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (int pin = 0; pin < programmer.count; ++pin) {
      if (list != m_data && programmer.InputOnly(pin)) continue;
      // A GPIO line by its name and by CHIP:OFFSET, as --pins takes either; a CH341A's pin as "D3/CLK".
      std::string item = programmer.NameOf(pin);
      if (programmer.Compact()) {
        const std::string line = programmer.chipName + ":" + std::to_string(pin);
        if (item != line) item += " (" + line + ")";
      }
      list->addItem(QString::fromStdString(item), pin);
    }
  }
  Show(shown);
}

PinAssignment CWiringDialog::Chosen() const {
  const auto pin = [](const QComboBox* list) { return list->currentIndex() < 0 ? -1 : list->currentData().toInt(); };
  PinAssignment pins;
  pins.clock = pin(m_clock);
  pins.reset = pin(m_reset);
  pins.data = pin(m_data);
  pins.invertData = m_invert->isChecked();
  // A GPIO chip's lines are stored as CHIP:OFFSET, which reads back without the chip attached.
  if (m_programmer && m_programmer->Compact()) pins.namedChip = m_programmer->chipName;
  return pins;
}

void CWiringDialog::Show(const PinAssignment& pins) {
  // A pin the chip lacks leaves its list empty; the problem line then says what selftest says.
  m_missingPins = m_chip ? MissingPinsText(*m_chip, pins) : std::string();
  bool unwired = false;
  if (m_programmer) {
    const std::optional<PinsOnProgrammerProblem> refused = PinsOnProgrammer(*m_programmer, pins);
    m_missingPins = refused ? PinsOnProgrammerText(*refused) : std::string();
    // A GPIO chip without a wiring of its own starts with no line chosen: nothing is driven until
    // the person names where the PROM is.
    unwired = refused && refused->kind == PinsOnProgrammerProblem::Kind::NoWiring;
  }
  m_clock->setCurrentIndex(unwired ? -1 : m_clock->findData(pins.clock));
  m_reset->setCurrentIndex(unwired ? -1 : m_reset->findData(pins.reset));
  m_data->setCurrentIndex(unwired ? -1 : m_data->findData(pins.data));
  m_invert->setChecked(pins.invertData);
  Revalidate();
}

void CWiringDialog::NameBoardPins(FtdiChip chip, int port) {
  for (QComboBox* list : {m_clock, m_reset, m_data}) {
    for (int i = 0; i < list->count(); ++i) list->setItemText(i, PinItem(list->itemData(i).toInt(), chip, port));
  }
}

void CWiringDialog::SetNote(const QString& note) {
  m_note->setText(note);
  m_note->setVisible(!note.isEmpty());
}

void CWiringDialog::OnDefault() { Show(m_defaults); }

void CWiringDialog::Revalidate() {
  const PinAssignment pins = Chosen();
  const bool complete = pins.clock >= 0 && pins.reset >= 0 && pins.data >= 0;
  const bool distinct = pins.clock != pins.reset && pins.clock != pins.data && pins.reset != pins.data;
  m_problem->setText(!complete ? QString::fromStdString(m_missingPins)
                               : distinct ? QString() : Text(res::kWiringPinsClash));
  m_ok->setEnabled(complete && distinct);
  m_checkButton->setEnabled(complete && distinct && static_cast<bool>(m_check));
}

void CWiringDialog::OnCheck() {
  if (!m_check) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  PinTrace trace;
  const WiringSelfTestResult result = m_check(Chosen(), trace);
  QApplication::restoreOverrideCursor();
  m_trace->SetTrace(trace);
  const bool invertData = Chosen().invertData;
  QString report;
  for (const WiringFindingLine& finding : result.findings) {
    report += QString::fromStdString(WiringFindingText(finding, invertData)) + QLatin1Char('\n');
  }
  report += QString::fromStdString(WiringVerdict(result, invertData));
  m_report->setPlainText(report);
}

}  // namespace quarrow
