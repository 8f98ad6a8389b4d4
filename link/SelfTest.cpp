// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test.
#include "SelfTest.h"

#include <algorithm>

#include "WiringTexts.h"

namespace quarrow {

namespace {

// One pin read with what had been written just before it.
struct Sample {
  std::uint8_t written = 0;
  std::uint8_t read = 0;
};

struct Pass {
  Sample reset;                // reset and clock high
  std::vector<Sample> high;    // clock high, before each pulse (the read's sample)
  std::vector<Sample> low;     // clock low, in each pulse
};

class Probe {
 public:
  Probe(IPinPort& port, const WaitFunction& wait) : port_(port), wait_(wait) {}

  // The same writes, in the same order and with the same waits, as the first `bits` bits of a read.
  Pass Run(const PinAssignment& pins, int bits) {
    const std::uint8_t clock = pins.ClockMask();
    const std::uint8_t reset = pins.ResetMask();
    Pass pass;
    pass.reset = WriteRead(clock | reset, kResetWaitMs);
    Write(clock, kResetWaitMs);
    for (int n = 0; n < bits; ++n) {
      const Sample high{last_, Read()};
      pass.high.push_back(high);
      const std::uint8_t up = high.read | clock;
      Write(up, kClockWaitMs);
      pass.low.push_back(WriteRead(up ^ clock, kClockWaitMs));
      Write(up, kClockWaitMs);
    }
    return pass;
  }
  int failed() const { return failed_; }

 private:
  void Write(std::uint8_t value, int ms) {
    if (!port_.WritePins(value)) ++failed_;
    last_ = value;
    wait_(ms);
  }
  std::uint8_t Read() {
    std::uint8_t value = last_;
    if (!port_.ReadPins(value)) ++failed_;
    return value;
  }
  Sample WriteRead(std::uint8_t value, int ms) {
    Write(value, ms);
    return {value, Read()};
  }

  IPinPort& port_;
  const WaitFunction& wait_;
  std::uint8_t last_ = 0;
  int failed_ = 0;
};

std::string LineHeading(const char* line, int pin, bool inverted = false) {
  return std::string(line) + " (" + PinName(pin) + (inverted ? ", inverted" : "") + "): ";
}

}  // namespace

WiringSelfTestResult RunWiringSelfTest(IPinPort& port, const PinAssignment& pins,
                                       const WaitFunction& wait) {
  const WaitFunction& waitFor = wait ? wait : WaitFunction(SleepMilliseconds);
  Probe probe(port, waitFor);
  const Pass first = probe.Run(pins, kSelfTestBits);
  const Pass again = probe.Run(pins, kSelfTestRepeatBits);

  std::vector<Sample> all;
  for (const Pass* pass : {&first, &again}) {
    all.push_back(pass->reset);
    all.insert(all.end(), pass->high.begin(), pass->high.end());
    all.insert(all.end(), pass->low.begin(), pass->low.end());
  }

  WiringSelfTestResult result;
  for (const auto& [line, pin] : {std::pair{"clock", pins.clock}, std::pair{"reset", pins.reset}}) {
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << pin);
    const bool follows = std::all_of(all.begin(), all.end(), [&](const Sample& s) {
      return (s.read & mask) == (s.written & mask);
    });
    result.findings.push_back({follows ? WiringFinding::OutputFollows : WiringFinding::OutputStuck,
                               line, pin, !follows,
                               LineHeading(line, pin) + (follows ? res::kOutputFollows : res::kOutputStuck)});
  }

  auto data = [&](const Sample& s) { return ((s.read & pins.DataMask()) != 0) != pins.invertData; };
  auto allEqual = [&](const std::vector<Sample>& samples, bool level) {
    return std::all_of(samples.begin(), samples.end(), [&](const Sample& s) { return data(s) == level; });
  };
  const bool start = data(first.high.front());
  WiringFinding dataFinding = WiringFinding::DataLikeAChip;
  if (std::all_of(all.begin(), all.end(), [&](const Sample& s) { return data(s) == start; })) {
    dataFinding = WiringFinding::DataNeverChanges;
  } else if (allEqual(first.high, start) && allEqual(first.low, !start) &&
             allEqual(again.high, start) && allEqual(again.low, !start)) {
    dataFinding = WiringFinding::DataFollowsClock;
  } else if (data(first.reset) != start && allEqual(first.high, start) &&
             allEqual(first.low, start)) {
    dataFinding = WiringFinding::DataFollowsReset;
  } else if (allEqual(first.high, start)) {
    // Only the samples inside the pulses moved: the bits the chip presents do not change.
    dataFinding = WiringFinding::DataNeverChanges;
  } else {
    for (int n = 0; n < kSelfTestRepeatBits; ++n) {
      if (data(first.high[n]) != data(again.high[n])) dataFinding = WiringFinding::DataNotRepeatable;
    }
  }
  const char* dataText = res::kDataLikeAChip;
  switch (dataFinding) {
    case WiringFinding::DataNeverChanges: dataText = res::kDataNeverChanges; break;
    case WiringFinding::DataFollowsClock: dataText = res::kDataFollowsClock; break;
    case WiringFinding::DataFollowsReset: dataText = res::kDataFollowsReset; break;
    case WiringFinding::DataNotRepeatable: dataText = res::kDataNotRepeatable; break;
    default: break;
  }
  const bool dataFault = dataFinding != WiringFinding::DataLikeAChip;
  result.findings.push_back({dataFinding, "data", pins.data, dataFault,
                             LineHeading("data", pins.data, pins.invertData) + dataText});
  if (probe.failed() > 0) {
    result.findings.push_back({WiringFinding::PinOperationsFailed, "", -1, true, res::kPinOperationsFailed});
  }

  const auto fault = std::find_if(result.findings.begin(), result.findings.end(),
                                  [](const WiringFindingLine& f) { return f.fault; });
  result.plausible = fault == result.findings.end();
  result.verdict = result.plausible ? std::string(res::kWiringPlausible)
                                    : std::string(res::kWiringFaulty) + fault->text;
  return result;
}

}  // namespace quarrow
