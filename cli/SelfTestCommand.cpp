// SPDX-License-Identifier: GPL-3.0-or-later
// selftest: checks the programmer's wiring against the pin assignment in use.
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "PrintableText.h"

namespace quarrow::cli {

ExitStatus SelfTestCommand(const DeviceOptions& device, bool json, Console& console) {
  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  const WiringSelfTestResult result = session->SelfTest();
  session.reset();

  if (json) {
    nlohmann::ordered_json report{{"command", "selftest"},
                                  {"pins", device.pins.Text()},
                                  {"invert_data", device.pins.invertData}};
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

Command DeclareSelfTest(CLI::App& program, CommonOptions& common) {
  CLI::App* selftest = program.add_subcommand(
      "selftest",
      "Check the programmer's wiring: do clock and reset follow, does data change as a chip's");
  selftest->footer(R"(Examples:
  quarrow-cli selftest                     is the default board's wiring plausible?
  quarrow-cli --pins clock=RTS,reset=CTS,data=DCD selftest
                                           check a programmer wired to RTS, CTS and DCD

Exit status:
  0    the wiring is plausible
  2    the command line could not be understood
  3    a wiring fault is likely, or the check could not run)");
  auto json = std::make_shared<bool>(false);
  AddDeviceOption(*selftest, common);
  AddJsonFlag(*selftest, *json);
  return {selftest, false, nullptr, [json](const CommandContext& context) {
            return SelfTestCommand(context.device, *json, context.console);
          }};
}

}  // namespace quarrow::cli
