// SPDX-License-Identifier: GPL-3.0-or-later
// The pin trace as a Value Change Dump.
#include "VcdWriter.h"

#include <array>
#include <optional>
#include <span>

namespace quarrow {

namespace {

constexpr int kPins = 8;

std::string WireName(const PinAssignment& pins, int pin) {
  if (pin == pins.clock) return "clock";
  if (pin == pins.reset) return "reset";
  if (pin == pins.data) return "data";
  return PinName(pin);
}

// The identifier code of a pin's wire: a letter, which no reader takes for a keyword or a value.
char Code(int pin) { return static_cast<char>('a' + pin); }

// The wiring as the person gave it: by the programmer's own pins where the port's D-numbers stand
// for others.
std::string WiringText(const PinTrace& trace) {
  if (trace.names.size() != 3) return trace.pins.Text();
  return "clock=" + trace.names[0] + ",reset=" + trace.names[1] + ",data=" + trace.names[2];
}

}  // namespace

std::string PinTraceVcd(const PinTrace& trace, const std::string& comment) {
  std::string vcd = "$comment Quarrow pin trace: " + WiringText(trace) +
                    (trace.pins.invertData ? ", data inverted on the board" : "") +
                    "; the time is the programmer's waits" +
                    (comment.empty() ? "" : "; " + comment) + " $end\n";
  vcd += "$timescale 1 us $end\n$scope module programmer $end\n";
  // The named lines first, as a viewer lists them.
  std::array<int, kPins> order{trace.pins.clock, trace.pins.reset, trace.pins.data};
  int next = 3;
  // A port that stands for three of a programmer's pins has no others to show.
  const int pins = trace.names.empty() ? kPins : 3;
  for (int pin = 0; pin < pins; ++pin) {
    if (pin != trace.pins.clock && pin != trace.pins.reset && pin != trace.pins.data) order[next++] = pin;
  }
  const std::span<const int> shown(order.data(), static_cast<std::size_t>(next));
  for (int pin : shown) {
    vcd += std::string("$var wire 1 ") + Code(pin) + ' ' + WireName(trace.pins, pin) + " $end\n";
  }
  vcd += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
  for (int pin : shown) vcd += std::string("x") + Code(pin) + '\n';
  vcd += "$end\n";

  std::array<std::optional<bool>, kPins> level{};
  std::int64_t time = 0;
  for (const PinEvent& event : trace.events) {
    const std::uint8_t changes = PinsShownBy(trace, event);
    std::string lines;
    for (int pin : shown) {
      if ((changes & (1u << pin)) == 0) continue;
      const bool high = (event.value & (1u << pin)) != 0;
      if (level[pin] == high) continue;
      level[pin] = high;
      lines += std::string(high ? "1" : "0") + Code(pin) + '\n';
    }
    if (lines.empty()) continue;
    if (event.microseconds != time) vcd += '#' + std::to_string(event.microseconds) + '\n';
    time = event.microseconds;
    vcd += lines;
  }
  // The last levels last until the last wait is over.
  if (trace.endMicroseconds > time) vcd += '#' + std::to_string(trace.endMicroseconds) + '\n';
  return vcd;
}

}  // namespace quarrow
