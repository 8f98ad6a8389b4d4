// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring self-test's findings as sentences.
#include "SelfTestText.h"

#include <algorithm>

#include "Texts.h"
#include "WiringText.h"

namespace quarrow {

namespace {

// The pin by the programmer's own name where the finding gives one, else its D-number.
std::string PinOf(const WiringFindingLine& finding) {
  return finding.pinName.empty() ? PinName(finding.pin) : finding.pinName;
}

std::string LineHeading(const WiringFindingLine& finding, bool inverted) {
  return finding.line + " (" + PinOf(finding) + (inverted ? ", inverted" : "") + "): ";
}

std::string FixText(const WiringFindingLine& finding, bool invertData) {
  if (finding.fixText.empty()) {
    PinAssignment fix = finding.fix.value_or(PinAssignment{});
    return PinsOptionText(fix);
  }
  return res::kPinsOption + finding.fixText + (invertData ? res::kInvertDataOption : "");
}

const char* DataText(WiringFinding finding) {
  switch (finding) {
    case WiringFinding::DataNeverChanges: return res::kDataNeverChanges;
    case WiringFinding::DataFollowsClock: return res::kDataFollowsClock;
    case WiringFinding::DataFollowsReset: return res::kDataFollowsReset;
    case WiringFinding::DataNotRepeatable: return res::kDataNotRepeatable;
    case WiringFinding::PolarityUnseen: return res::kPolarityUnseen;
    default: return res::kDataLikeAChip;
  }
}

}  // namespace

std::string PinsOptionText(const PinAssignment& pins) {
  return res::kPinsOption + pins.Text() + (pins.invertData ? res::kInvertDataOption : "");
}

std::string WiringFindingText(const WiringFindingLine& finding, bool invertData) {
  switch (finding.finding) {
    case WiringFinding::OutputFollows:
    case WiringFinding::OutputStuck:
      return LineHeading(finding, false) +
             (finding.finding == WiringFinding::OutputFollows ? res::kOutputFollows : res::kOutputStuck);
    case WiringFinding::ChipOnOtherPin:
      return PinOf(finding) + res::kInputPinHeading + res::kChipOnOtherPin +
             FixText(finding, finding.fix && finding.fix->invertData);
    case WiringFinding::ClockAndResetSwapped:
      return res::kClockResetSwapped + PinOf(finding) + res::kClockResetSwappedFix +
             FixText(finding, finding.fix && finding.fix->invertData);
    case WiringFinding::PinOperationsFailed: return res::kPinOperationsFailed;
    default: return LineHeading(finding, invertData) + DataText(finding.finding);
  }
}

std::string WiringVerdict(const WiringSelfTestResult& result, bool invertData) {
  if (result.refused) return PinsOnChipText(*result.refused);
  if (result.plausible) return res::kWiringPlausible;
  const auto& findings = result.findings;
  auto fault = std::find_if(findings.begin(), findings.end(),
                            [](const WiringFindingLine& f) { return f.fault && f.fix; });
  if (fault == findings.end()) {
    fault = std::find_if(findings.begin(), findings.end(), [](const WiringFindingLine& f) { return f.fault; });
  }
  return fault == findings.end() ? std::string(res::kWiringPlausible)
                                 : res::kWiringFaulty + WiringFindingText(*fault, invertData);
}

}  // namespace quarrow
