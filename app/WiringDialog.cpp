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
#include <QVBoxLayout>

#include "PinTraceView.h"
#include "WiringTexts.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QComboBox* PinList(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(Text(name));
  for (int pin = 0; pin < 8; ++pin) {
    list->addItem(QString::fromStdString(PinName(pin)) + QStringLiteral(" (") + Text(res::kPinSignalNames[pin]) +
                      QLatin1Char(')'),
                  pin);
  }
  return list;
}

}  // namespace

CWiringDialog::CWiringDialog(const std::string& serial, const PinAssignment& current,
                             const PinAssignment& defaults, WiringCheck check, QWidget* parent)
    : QDialog(parent), m_defaults(defaults), m_check(std::move(check)) {
  setObjectName(Text(res::kWiringDialogName));
  setWindowTitle(Text(res::kWiringTitle));
  auto* layout = new QVBoxLayout(this);
  // The serial comes from the device: plain text, never markup.
  auto* heading = new QLabel(Text(res::kWiringFor) + (serial.empty() ? Text(res::kWiringNoProgrammer)
                                                                     : QString::fromLocal8Bit(serial)),
                             this);
  heading->setTextFormat(Qt::PlainText);
  layout->addWidget(heading);

  auto* form = new QFormLayout;
  m_clock = PinList(this, res::kWiringClockName);
  m_reset = PinList(this, res::kWiringResetName);
  m_data = PinList(this, res::kWiringDataName);
  // addRow with a text makes each label the buddy of its list, so Alt+C, Alt+R and Alt+D reach them.
  form->addRow(Text(res::kWiringClockLabel), m_clock);
  form->addRow(Text(res::kWiringResetLabel), m_reset);
  form->addRow(Text(res::kWiringDataLabel), m_data);
  layout->addLayout(form);
  m_invert = new QCheckBox(Text(res::kWiringInvertData), this);
  m_invert->setObjectName(Text(res::kWiringInvertName));
  layout->addWidget(m_invert);
  m_problem = new QLabel(this);
  m_problem->setTextFormat(Qt::PlainText);
  layout->addWidget(m_problem);

  auto* defaultButton = new QPushButton(Text(res::kWiringDefault), this);
  defaultButton->setObjectName(Text(res::kWiringDefaultName));
  defaultButton->setAutoDefault(false);
  m_checkButton = new QPushButton(Text(res::kWiringCheck), this);
  m_checkButton->setObjectName(Text(res::kWiringCheckName));
  m_checkButton->setAutoDefault(false);
  m_checkButton->setEnabled(static_cast<bool>(m_check));
  if (!m_check) m_checkButton->setToolTip(Text(res::kWiringCheckNeedsConnect));
  auto* row = new QHBoxLayout;
  row->addWidget(defaultButton);
  row->addWidget(m_checkButton);
  row->addStretch(1);
  layout->addLayout(row);

  m_report = new QPlainTextEdit(this);
  m_report->setObjectName(Text(res::kWiringReportName));
  m_report->setReadOnly(true);
  m_report->setPlaceholderText(Text(res::kWiringApplies));
  m_report->setTabChangesFocus(true);
  layout->addWidget(m_report);
  m_trace = new CPinTraceView(this);
  layout->addWidget(m_trace);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);

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

PinAssignment CWiringDialog::Chosen() const {
  PinAssignment pins;
  pins.clock = m_clock->currentData().toInt();
  pins.reset = m_reset->currentData().toInt();
  pins.data = m_data->currentData().toInt();
  pins.invertData = m_invert->isChecked();
  return pins;
}

void CWiringDialog::Show(const PinAssignment& pins) {
  m_clock->setCurrentIndex(pins.clock);
  m_reset->setCurrentIndex(pins.reset);
  m_data->setCurrentIndex(pins.data);
  m_invert->setChecked(pins.invertData);
  Revalidate();
}

void CWiringDialog::OnDefault() { Show(m_defaults); }

void CWiringDialog::Revalidate() {
  const PinAssignment pins = Chosen();
  const bool distinct = pins.clock != pins.reset && pins.clock != pins.data && pins.reset != pins.data;
  m_problem->setText(distinct ? QString() : Text(res::kWiringPinsClash));
  m_ok->setEnabled(distinct);
  m_checkButton->setEnabled(distinct && static_cast<bool>(m_check));
}

void CWiringDialog::OnCheck() {
  if (!m_check) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  PinTrace trace;
  const WiringSelfTestResult result = m_check(Chosen(), trace);
  QApplication::restoreOverrideCursor();
  m_trace->SetTrace(trace);
  QString report;
  for (const WiringFindingLine& finding : result.findings) {
    report += QString::fromStdString(finding.text) + QLatin1Char('\n');
  }
  report += QString::fromStdString(result.verdict);
  m_report->setPlainText(report);
}

}  // namespace quarrow
