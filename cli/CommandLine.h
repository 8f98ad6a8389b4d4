// SPDX-License-Identifier: GPL-3.0-or-later
// How quarrow-cli's command line is declared: the options every command shares, declared once on
// the program, and one declaration function per command, beside the command it runs, that adds its
// own options, examples and exit statuses (its --help) and says how to run it once the command line
// is understood.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Console.h"
#include "Device.h"
#include "ExitStatus.h"
#include "KnownDumps.h"

// How the environment variables are set and named in the shell of the system.
#ifdef _WIN32
#define QUARROW_KNOWN_DUMPS_SETTING \
  "\"set QUARROW_KNOWN_DUMPS=FILE\" (PowerShell: $env:QUARROW_KNOWN_DUMPS=\"FILE\")"
#define QUARROW_KNOWN_DUMPS_VALUE "%QUARROW_KNOWN_DUMPS%"
#define QUARROW_PINS_VALUE "%QUARROW_PINS%"
#define WIRING_FILE_PLACE "%APPDATA%\\Quarrow\\wiring.conf"
#else
#define QUARROW_KNOWN_DUMPS_SETTING "QUARROW_KNOWN_DUMPS=FILE"
#define QUARROW_KNOWN_DUMPS_VALUE "$QUARROW_KNOWN_DUMPS"
#define QUARROW_PINS_VALUE "$QUARROW_PINS"
#define WIRING_FILE_PLACE "$XDG_CONFIG_HOME/quarrow/wiring.conf (else ~/.config/quarrow/wiring.conf)"
#endif

namespace quarrow::cli {

// The options of the whole program, given before or after the command.
struct CommonOptions {
  DeviceOptions device;  // the programmer or its simulation, and its wiring (once resolved)
  PinOptionTexts pinTexts;
  std::string knownDumpsFile;  // --known-dumps; empty: QUARROW_KNOWN_DUMPS, else the built-in table
  bool quiet = false;          // --quiet: errors and the data asked for, no progress or notes
};

// What a command runs with once the command line is understood.
struct CommandContext {
  const DeviceOptions& device;
  const KnownDumpTable& knownDumps;  // empty for a command that identifies nothing
  Console& console;
};

// A command as its declaration left it: the parsed options live in the functions' captures.
struct Command {
  CLI::App* app = nullptr;
  bool identifies = false;  // needs the table of known dumps, which is read before any chip
  // A command line that parses but cannot be run as given: the reason, said as a usage error.
  std::function<std::optional<std::string>()> usageError;
  std::function<ExitStatus(const CommandContext&)> run;
};

// The program, its overview --help and its common options (simulation, wiring, known dumps).
void DeclareProgram(CLI::App& program, CommonOptions& common);

// One declaration per command, in the order --help lists them.
Command DeclareShow(CLI::App& program);
Command DeclareIdentify(CLI::App& program);
Command DeclareConvert(CLI::App& program);
Command DeclareList(CLI::App& program);
Command DeclareListChips(CLI::App& program);
Command DeclareRead(CLI::App& program, CommonOptions& common);
Command DeclareCompare(CLI::App& program, CommonOptions& common);
Command DeclareArchive(CLI::App& program, CommonOptions& common);
Command DeclareSelfTest(CLI::App& program, CommonOptions& common);
Command DeclareWiring(CLI::App& program, CommonOptions& common);

// The options several commands share, each declared here once.

// An empty name is what a script passes for an unset variable; it must not quietly mean "none".
extern const CLI::Validator kFileName;
// FILE, a required image file argument.
CLI::Option* AddFileArgument(CLI::App& command, std::string& file, const std::string& help);
// --device SERIAL, for the commands that talk to a programmer.
CLI::Option* AddDeviceOption(CLI::App& command, CommonOptions& common);
CLI::Option* AddJsonFlag(CLI::App& command, bool& json,
                         const std::string& help = "Print one JSON object instead of text");
CLI::Option* AddRomLoadFlag(CLI::App& command, bool& romLoad);
// --strict for a single read: a read that looks broken fails with status 4.
CLI::Option* AddStrictFlag(CLI::App& command, bool& strict);
CLI::Option* AddReadsOption(CLI::App& command, int& reads, const std::string& help);

// --trace FILE.vcd, for the commands that drive the pins.
CLI::Option* AddTraceOption(CLI::App& command, std::string& trace);
// Why the --trace file (if any) cannot be written beside the image file `output`, or nothing.
std::optional<std::string> TraceUsageError(const std::string& trace, const std::string& output);

ImageFileLayout Layout(bool nss);
// --nss and --mame, for a file to open; FileLayout gives the layout they (else the file's name) say.
CLI::Option* AddFileLayoutFlags(CLI::App& command, bool& nss, bool& mame);
// As --nss or --mame says, else as the file's name says (*.nss: raw).
ImageFileLayout FileLayout(const std::string& file, bool nss, bool mame);

}  // namespace quarrow::cli
