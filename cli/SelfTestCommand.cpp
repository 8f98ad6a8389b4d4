// SPDX-License-Identifier: GPL-3.0-or-later
// selftest: checks the programmer's wiring against the pin assignment in use.
#include "Commands.h"
#include "PrintableText.h"

namespace quarrow::cli {

ExitStatus SelfTestCommand(const DeviceOptions& device, bool json, Console& console) {
  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  const WiringSelfTestResult result = session->SelfTest();
  const PinAssignment pins = session->Pins();
  session.reset();

  if (json) {
    nlohmann::ordered_json report{{"command", "selftest"},
                                  {"pins", pins.Text()},
                                  {"invert_data", pins.invertData}};
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const WiringFindingLine& finding : result.findings) {
      nlohmann::ordered_json item{{"line", finding.line}};
      item["pin"] = finding.pin >= 0 ? nlohmann::ordered_json(PinName(finding.pin)) : nullptr;
      item["fault"] = finding.fault;
      item["text"] = finding.text;
      findings.push_back(std::move(item));
    }
    report["findings"] = std::move(findings);
    report["verdict"] = result.verdict;
    report["outcome"] = result.plausible ? "plausible" : "fault";
    PrintJson(report, console);
  } else {
    for (const WiringFindingLine& finding : result.findings) console.out << finding.text << '\n';
    console.out << result.verdict << '\n' << std::flush;
  }
  return result.plausible ? kExitSuccess : kExitFailure;
}

}  // namespace quarrow::cli
