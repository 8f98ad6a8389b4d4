// SPDX-License-Identifier: GPL-3.0-or-later
// The pin trace of a wiring check drawn as a logic analyser shows one: the levels of the clock,
// reset and data lines over time, with each read of the data line marked. Its accessible
// description says the same in words, for a screen reader.
#pragma once

#include <QString>
#include <QWidget>

#include "PinTrace.h"

namespace quarrow {

class CPinTraceView : public QWidget {
  Q_OBJECT

 public:
  explicit CPinTraceView(QWidget* parent = nullptr);
  void SetTrace(const PinTrace& trace);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PinTrace m_trace;
};

// "Pin trace of the check, 680 ms: clock (D0) 20 low pulses; reset (D1) 2 high pulses; data (D4)
// 42 samples, read as 1 0 1 1 ...", or a note that there is no trace yet.
QString PinTraceSummary(const PinTrace& trace);

}  // namespace quarrow
