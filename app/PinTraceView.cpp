// SPDX-License-Identifier: GPL-3.0-or-later
// The drawn pin trace.
#include "PinTraceView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <utility>

#include "Texts.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

struct Line {
  const char* name;
  int pin;
  std::string pinName;  // the programmer's own name of the pin
};

std::array<Line, 3> LinesOf(const PinTrace& trace) {
  const PinAssignment& pins = trace.pins;
  const auto name = [&](std::size_t line, int pin) { return trace.names.size() == 3 ? trace.names[line] : PinName(pin); };
  return {Line{"clock", pins.clock, name(0, pins.clock)}, Line{"reset", pins.reset, name(1, pins.reset)},
          Line{"data", pins.data, name(2, pins.data)}};
}

QString LineLabel(const Line& line) {
  return Text(line.name) + QStringLiteral(" (") + QString::fromStdString(line.pinName) + QLatin1Char(')');
}

// How many times the pin goes to `high` (from the other level or from unknown).
int StepsTo(const std::vector<PinStep>& steps, bool high) {
  return static_cast<int>(std::count_if(steps.begin(), steps.end(),
                                        [high](const PinStep& step) { return step.high == high; }));
}

// A round interval of about a sixth of the span: 1, 2 or 5 times a power of ten milliseconds.
std::int64_t TickMicroseconds(std::int64_t span) {
  std::int64_t tick = 1000;
  for (std::int64_t decade = 1000;; decade *= 10) {
    for (std::int64_t factor : {1, 2, 5}) {
      tick = decade * factor;
      if (tick * 6 >= span) return tick;
    }
  }
}

}  // namespace

QString PinTraceSummary(const PinTrace& trace) {
  if (trace.events.empty()) return Text(res::kTraceViewEmpty);
  const auto [clock, reset, data] = LinesOf(trace);
  QString text = Text(res::kTraceViewOf) + QString::number((trace.endMicroseconds + 500) / 1000) +
                 QStringLiteral(" ms: ");
  text += LineLabel(clock) + QLatin1Char(' ') +
          QString::number(StepsTo(PinLevels(trace, clock.pin), false)) + Text(res::kTraceViewLowPulses) +
          QStringLiteral("; ");
  text += LineLabel(reset) + QLatin1Char(' ') +
          QString::number(StepsTo(PinLevels(trace, reset.pin), true)) + Text(res::kTraceViewHighPulses) +
          QStringLiteral("; ");
  QString samples;
  int count = 0;
  for (const PinEvent& event : trace.events) {
    if (event.kind != PinEvent::Kind::Read || !event.ok) continue;
    // Digits a screen reader says one by one, in groups of eight.
    if (count > 0) samples += count % 8 == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
    samples += (event.value & trace.pins.DataMask()) != 0 ? QLatin1Char('1') : QLatin1Char('0');
    ++count;
  }
  text += LineLabel(data) + QLatin1Char(' ') +
          (count == 0 ? Text(res::kTraceViewNoSamples)
                      : QString::number(count) + Text(res::kTraceViewSamples) + samples);
  if (std::any_of(trace.events.begin(), trace.events.end(), [](const PinEvent& e) { return !e.ok; })) {
    text += Text(res::kTraceViewFailed);
  }
  return text;
}

CPinTraceView::CPinTraceView(QWidget* parent) : QWidget(parent) {
  setObjectName(Text(res::kTraceViewName));
  setAccessibleName(Text(res::kTraceViewAccessibleName));
  SetTrace({});
}

void CPinTraceView::SetTrace(const PinTrace& trace) {
  m_trace = trace;
  setAccessibleDescription(PinTraceSummary(m_trace));
  update();
}

QSize CPinTraceView::sizeHint() const {
  return {fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 8};
}

QSize CPinTraceView::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 6};
}

void CPinTraceView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().color(QPalette::Text));
  const QFontMetrics metrics = fontMetrics();
  if (m_trace.events.empty()) {
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, Text(res::kTraceViewEmpty));
    return;
  }

  const std::array<Line, 3> lines = LinesOf(m_trace);
  const int margin = metrics.averageCharWidth();
  int labelWidth = 0;
  for (const Line& line : lines) {
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(LineLabel(line)));
  }
  const int left = margin + labelWidth + margin;
  const int right = width() - 2 * margin;
  const int axis = height() - metrics.height() - margin;  // the time axis' baseline
  const double rowHeight = (axis - margin) / 3.0;
  const double span = static_cast<double>(std::max<std::int64_t>(m_trace.endMicroseconds, 1));
  const auto x = [&](std::int64_t us) { return left + (right - left) * (static_cast<double>(us) / span); };

  // The time axis, in round milliseconds.
  const std::int64_t tick = TickMicroseconds(m_trace.endMicroseconds);
  QColor grid = palette().color(QPalette::Text);
  grid.setAlpha(60);
  for (std::int64_t t = 0; t <= m_trace.endMicroseconds; t += tick) {
    painter.setPen(grid);
    painter.drawLine(QPointF(x(t), margin), QPointF(x(t), axis));
    painter.setPen(palette().color(QPalette::Text));
    const QString label = QString::number(t / 1000) + QStringLiteral(" ms");
    painter.drawText(QPointF(std::min(x(t), right - double(metrics.horizontalAdvance(label))),
                             axis + metrics.ascent()),
                     label);
  }

  QPen levelPen(palette().color(QPalette::Text), 1.5);
  for (std::size_t row = 0; row < lines.size(); ++row) {
    const double top = margin + rowHeight * static_cast<double>(row);
    const double high = top + rowHeight * 0.2, low = top + rowHeight * 0.75;
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRectF(margin, top, labelWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     LineLabel(lines[row]));
    const std::vector<PinStep> steps = PinLevels(m_trace, lines[row].pin);
    if (steps.empty()) continue;
    QPainterPath path(QPointF(x(steps.front().microseconds), steps.front().high ? high : low));
    for (std::size_t i = 1; i < steps.size(); ++i) {
      const double at = x(steps[i].microseconds);
      path.lineTo(at, steps[i - 1].high ? high : low);
      path.lineTo(at, steps[i].high ? high : low);
    }
    path.lineTo(x(m_trace.endMicroseconds), steps.back().high ? high : low);
    painter.setPen(levelPen);
    painter.drawPath(path);

    // Every read of the data line, at the level it gave.
    if (lines[row].pin != m_trace.pins.data) continue;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Highlight));
    const double radius = std::max(2.0, metrics.height() / 6.0);
    for (const PinEvent& event : m_trace.events) {
      if (event.kind != PinEvent::Kind::Read || !event.ok) continue;
      const bool level = (event.value & m_trace.pins.DataMask()) != 0;
      painter.drawEllipse(QPointF(x(event.microseconds), level ? high : low), radius, radius);
    }
    painter.setBrush(Qt::NoBrush);
  }
}

}  // namespace quarrow
