// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli: reads RP5H01 serial PROMs through an FTDI bit-bang programmer, and shows, converts and
// compares their 16-byte image files. Parses the command line and hands over to one command; each
// command declares its own options beside the code that runs it (CommandLine.h).
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Texts.h"
#include "CommandLine.h"
#include "PlatformConsole.h"
#include "Interruption.h"
#include "PrintableText.h"
#include "Report.h"
#include "StandardStreams.h"

namespace {

using namespace quarrow;
using namespace quarrow::cli;

// "(see quarrow-cli read --help)": the help of the command given, else the program's.
std::string SeeHelp(const CLI::App& program) {
  const std::vector<CLI::App*> given = program.get_subcommands();
  std::string where = res::kProgramName;
  if (!given.empty()) where += " " + given.front()->get_name();
  return " (see " + where + " --help)";
}

// The parser's message quotes the value it refused: a pasted page keeps only its ends, which hold
// the option and the reason.
std::string WithoutFlood(std::string_view message) {
  constexpr std::size_t kEnd = 100;
  if (message.size() <= 3 * kEnd) return std::string(message);
  return std::string(message.substr(0, kEnd)) + "..." +
         std::string(message.substr(message.size() - kEnd));
}

ExitStatus UsageError(const CLI::App& program, const std::string& reason) {
  std::cerr << res::kProgramName << ": " << PrintableText(reason) << SeeHelp(program) << '\n';
  return kExitUsage;
}

// A parse that failed: help and version end with status 0, a mistyped command or option is a
// usage error.
ExitStatus ParseFailed(const CLI::App& program, const CLI::ParseError& e) {
  // A word where the command belongs is most likely a mistyped command; say so rather than that
  // one is missing.
  const std::vector<std::string> unused = program.remaining();
  if (program.get_subcommands().empty() && !unused.empty() && unused.front().rfind('-', 0) != 0 &&
      e.get_exit_code() != 0) {
    std::cerr << res::kProgramName << ": " << PrintableText(QuotedExcerpt(unused.front()))
              << res::kNotACommand << SeeHelp(program) << '\n';
    return kExitUsage;
  }
  return program.exit(e) == 0 ? kExitSuccess : kExitUsage;
}

// The parsed command, run with the table of known dumps when it identifies.
ExitStatus RunCommand(const Command& command, const CommonOptions& common) {
  Console console{std::cout, std::cerr, StandardErrorIsConsole() && !common.quiet, common.quiet};
  // Read before any chip is: a bad table should not cost a read.
  std::optional<KnownDumpTable> knownDumps;
  if (command.identifies) {
    knownDumps = LoadKnownDumpsReporting(common.knownDumpsFile, console);
    if (!knownDumps) return kExitFailure;
  }
  const KnownDumpTable noTable;
  ExitStatus status = command.run({common.device, knownDumps ? *knownDumps : noTable, console});
  // A read stopped by a signal ends as the signal would have ended it, whatever the command made of
  // the stop.
  if (InterruptedExitStatus() != kExitSuccess) status = InterruptedExitStatus();
  // A result that never reached its reader (a full disk, a closed pipe) is not a success.
  if (!std::cout.flush() && status != kExitFailure) {
    std::cerr << res::kCantWriteOutput << '\n';
    status = kExitFailure;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard output would otherwise be the archive log's number,
  // and the results would be written into the log.
  OpenClosedStandardStreams();
  Utf8Arguments args(argc, argv);
  UseUtf8Console();
  CLI::App program{"Reads the 128 bits of a Ricoh RP5H01 serial PROM through an FTDI USB "
                   "programmer in bit-bang mode,\nand shows, saves, converts and compares 16-byte "
                   "PROM image files.",
                   res::kProgramName};
  program.failure_message([](const CLI::App* app, const CLI::Error& e) {
    return std::string(res::kProgramName) + ": " + PrintableText(WithoutFlood(e.what())) +
           SeeHelp(*app) + "\n";
  });
  CommonOptions common;
  DeclareProgram(program, common);
  const Command commands[] = {
      DeclareShow(program),          DeclareIdentify(program),
      DeclareConvert(program),       DeclareList(program),
      DeclareListChips(program),
      DeclareRead(program, common),  DeclareCompare(program, common),
      DeclareArchive(program, common), DeclareSelfTest(program, common),
      DeclareWiring(program, common),
  };

  // A command's --help is about the command; the program's options stay in the overview.
  for (const Command& command : commands) {
    command.app->footer(command.app->get_footer() + res::kProgramOptionsNote);
  }

  try {
    program.parse(args.argc(), args.argv());
  } catch (const CLI::ParseError& e) {
    return ParseFailed(program, e);
  }
  const Command* command = nullptr;
  for (const Command& declared : commands) {
    if (declared.app->parsed()) command = &declared;
  }
  if (command == nullptr) return kExitUsage;  // require_subcommand(1) makes this unreachable
  std::string pinsError;
  if (!ResolvePinOptions(common.pinTexts, common.device, pinsError)) {
    // The wiring is the program's option, so its help is the program's.
    std::cerr << res::kProgramName << ": " << PrintableText(pinsError) << " (see " << res::kProgramName
              << " --help)\n";
    return kExitUsage;
  }
  if (command->usageError) {
    if (const std::optional<std::string> reason = command->usageError()) {
      return UsageError(program, *reason);
    }
  }
  InstallSignalHandlers();
  return RunCommand(*command, common);
}
