// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test.
#include "SelfTest.h"

#include <algorithm>

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

// A first pass and a second after a fresh reset, with clock and reset in the roles of `pins`.
struct Trial {
  Pass first;
  Pass again;
};

class Probe {
 public:
  Probe(IPinPort& port, const WaitFunction& wait) : port_(port), wait_(wait) {}

  // The same writes, in the same order and with the same waits, as the first `bits` bits of a read.
  Pass Run(const PinAssignment& pins, int bits) {
    Pass pass;
    PinClocking clocking(port_, pins, wait_, {PinSample::AtReset, PinSample::BitLevel, PinSample::InPulse});
    const auto keep = [&](PinSample sample, std::uint8_t written, std::uint8_t read) {
      const Sample taken{written, read};
      switch (sample) {
        case PinSample::AtReset: pass.reset = taken; break;
        case PinSample::BitLevel: pass.high.push_back(taken); break;
        case PinSample::InPulse: pass.low.push_back(taken); break;
        case PinSample::AfterPulse: break;
      }
    };
    clocking.Run(kResetSteps, keep);
    for (int n = 0; n < bits; ++n) clocking.Run(kBitSteps, keep);
    failed_ += clocking.Finish();
    return pass;
  }
  Trial Try(const PinAssignment& pins) {
    Pass first = Run(pins, kSelfTestBits);
    return {std::move(first), Run(pins, kSelfTestRepeatBits)};
  }
  int failed() const { return failed_; }

 private:
  IPinPort& port_;
  const WaitFunction& wait_;
  int failed_ = 0;
};

std::vector<Sample> AllSamples(const Trial& trial) {
  std::vector<Sample> all;
  for (const Pass* pass : {&trial.first, &trial.again}) {
    all.push_back(pass->reset);
    all.insert(all.end(), pass->high.begin(), pass->high.end());
    all.insert(all.end(), pass->low.begin(), pass->low.end());
  }
  return all;
}

// What one input pin did through a trial. Polarity plays no part: an inverted line changes just as
// its chip's does.
WiringFinding Classify(const Trial& trial, int pin) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << pin);
  auto level = [&](const Sample& s) { return (s.read & mask) != 0; };
  auto allEqual = [&](const std::vector<Sample>& samples, bool value) {
    return std::all_of(samples.begin(), samples.end(), [&](const Sample& s) { return level(s) == value; });
  };
  const Pass& first = trial.first;
  const Pass& again = trial.again;
  const bool start = level(first.high.front());
  const std::vector<Sample> all = AllSamples(trial);
  if (std::all_of(all.begin(), all.end(), [&](const Sample& s) { return level(s) == start; })) {
    return WiringFinding::DataNeverChanges;
  }
  if (allEqual(first.high, start) && allEqual(first.low, !start) && allEqual(again.high, start) &&
      allEqual(again.low, !start)) {
    return WiringFinding::DataFollowsClock;
  }
  if (level(first.reset) != start && allEqual(first.high, start) && allEqual(first.low, start)) {
    return WiringFinding::DataFollowsReset;
  }
  // Only the samples inside the pulses moved: the bits the chip presents do not change.
  if (allEqual(first.high, start)) return WiringFinding::DataNeverChanges;
  for (int n = 0; n < kSelfTestRepeatBits; ++n) {
    if (level(first.high[n]) != level(again.high[n])) return WiringFinding::DataNotRepeatable;
  }
  return WiringFinding::DataLikeAChip;
}

// An input pin on which the chip's data shows, or -1: the data pin first when `dataPinToo`, then
// every other pin that is neither clock nor reset.
int ChipOnInputPin(const Trial& trial, const PinAssignment& pins, int bitBangPins, bool dataPinToo) {
  if (dataPinToo && Classify(trial, pins.data) == WiringFinding::DataLikeAChip) return pins.data;
  for (int pin = 0; pin < std::min(bitBangPins, 8); ++pin) {
    if (pin == pins.clock || pin == pins.reset || pin == pins.data) continue;
    if (Classify(trial, pin) == WiringFinding::DataLikeAChip) return pin;
  }
  return -1;
}

}  // namespace

WiringSelfTestResult RunWiringSelfTest(IPinPort& port, const PinAssignment& pins,
                                       const WaitFunction& wait, int bitBangPins) {
  const WaitFunction& waitFor = wait ? wait : WaitFunction(SleepMilliseconds);
  Probe probe(port, waitFor);
  const Trial told = probe.Try(pins);
  const std::vector<Sample> all = AllSamples(told);

  WiringSelfTestResult result;
  for (const auto& [line, pin] : {std::pair{"clock", pins.clock}, std::pair{"reset", pins.reset}}) {
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << pin);
    const bool follows = std::all_of(all.begin(), all.end(), [&](const Sample& s) {
      return (s.read & mask) == (s.written & mask);
    });
    result.findings.push_back(
        {follows ? WiringFinding::OutputFollows : WiringFinding::OutputStuck, line, pin, !follows, {}, {}, {}});
  }

  const WiringFinding data = Classify(told, pins.data);
  result.findings.push_back({data, "data", pins.data, data != WiringFinding::DataLikeAChip, {}, {}, {}});
  int answers = data == WiringFinding::DataLikeAChip ? pins.data : -1;  // the pin the chip answers on
  if (answers < 0) {
    // The chip may be there, on a pin the assignment does not name. The other pins are inputs
    // already: watching them drives nothing.
    if (const int other = ChipOnInputPin(told, pins, bitBangPins, false); other >= 0) {
      PinAssignment fix = pins;
      fix.data = other;
      result.findings.push_back({WiringFinding::ChipOnOtherPin, "data", other, true, fix, {}, {}});
      answers = other;
    }
  }
  if (answers < 0 && data == WiringFinding::DataNeverChanges) {
    // Clock and reset crossed is the commonest slip, and both pins are outputs already: trying
    // them in each other's roles drives nothing new.
    PinAssignment swapped = pins;
    std::swap(swapped.clock, swapped.reset);
    const Trial crossed = probe.Try(swapped);
    if (const int pin = ChipOnInputPin(crossed, swapped, bitBangPins, true); pin >= 0) {
      swapped.data = pin;
      result.findings.push_back({WiringFinding::ClockAndResetSwapped, "", pin, true, swapped, {}, {}});
      answers = pin;
    }
  }
  if (answers >= 0) result.findings.push_back({WiringFinding::PolarityUnseen, "data", answers, false, {}, {}, {}});
  if (probe.failed() > 0) result.findings.push_back({WiringFinding::PinOperationsFailed, "", -1, true, {}, {}, {}});

  result.plausible = std::none_of(result.findings.begin(), result.findings.end(),
                                  [](const WiringFindingLine& f) { return f.fault; });
  return result;
}

}  // namespace quarrow
