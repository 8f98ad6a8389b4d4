// SPDX-License-Identifier: GPL-3.0-or-later
// selftest: checks the programmer's wiring against the pin assignment in use.
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "PrintableText.h"
#include "SelfTestText.h"

namespace quarrow::cli {

ExitStatus SelfTestCommand(const DeviceOptions& device, bool json, const std::string& trace,
                           Console& console) {
  if (!trace.empty() && !CheckSaveTargetReporting(trace, console)) return kExitFailure;
  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  PinTrace recorded;
  if (!trace.empty()) session->RecordInto(recorded);
  const WiringSelfTestResult result = session->SelfTest();
  const PinAssignment pins = session->Pins();
  const std::string pinsText = session->PinsText();
  session.reset();
  const bool traced = trace.empty() || SaveTraceReporting(trace, recorded, console);
  const bool invertData = device.pins.invertData;

  if (json) {
    nlohmann::ordered_json report{{"command", "selftest"},
                                  {"pins", pinsText},
                                  {"invert_data", pins.invertData}};
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const WiringFindingLine& finding : result.findings) {
      nlohmann::ordered_json item{{"line", finding.line}};
      const std::string pin = finding.pinName.empty() ? PinName(finding.pin) : finding.pinName;
      item["pin"] = finding.pin >= 0 ? nlohmann::ordered_json(pin) : nullptr;
      item["fault"] = finding.fault;
      if (finding.fix) {
        const std::string fix = finding.fixText.empty() ? finding.fix->Text() : finding.fixText;
        item["fix"] = {{"pins", fix}, {"invert_data", finding.fix->invertData}};
      }
      item["text"] = WiringFindingText(finding, invertData);
      findings.push_back(std::move(item));
    }
    report["findings"] = std::move(findings);
    report["verdict"] = WiringVerdict(result, invertData);
    if (traced && !trace.empty()) report["trace_saved_to"] = trace;
    report["outcome"] = result.plausible ? "plausible" : "fault";
    PrintJson(report, console);
  } else {
    for (const WiringFindingLine& finding : result.findings) {
      console.out << WiringFindingText(finding, invertData) << '\n';
    }
    console.out << WiringVerdict(result, invertData) << '\n' << std::flush;
  }
  return result.plausible && traced ? kExitSuccess : kExitFailure;
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
  struct Options {
    bool json = false;
    std::string trace;
  };
  auto options = std::make_shared<Options>();
  AddDeviceOption(*selftest, common);
  AddJsonFlag(*selftest, options->json);
  AddTraceOption(*selftest, options->trace);
  return {selftest, false,
          [options] { return TraceUsageError(options->trace, std::string()); },
          [options](const CommandContext& context) {
            return SelfTestCommand(context.device, options->json, options->trace,
                                   context.console);
          }};
}

}  // namespace quarrow::cli
