// SPDX-License-Identifier: GPL-3.0-or-later
// The program's overview --help and the options every command shares, each declared once.
#include "CommandLine.h"

#include "Texts.h"
#include "Commands.h"

namespace quarrow::cli {

namespace {

// The whole program's --help: what it does and where to look next; each command's --help has the
// details.
constexpr const char* kOverviewFooter = R"(Examples:
  quarrow-cli list                         the attached programmers
  quarrow-cli read -o dump.prm             read the chip, save it in the MAME layout
  quarrow-cli show dump.prm                the image text, its CRC/SHA1 and which dump it is
  quarrow-cli archive dumps/               one chip after another into dumps/, with a log
  quarrow-cli --simulate read              try the tool without a programmer

quarrow-cli COMMAND --help tells a command's options, examples and exit statuses.

Image files are 16 bytes: the MAME layout (*.prm, each byte inverted and bit-mirrored) by default,
the raw "NSS" layout with --nss (show, identify and compare open a file named *.nss in it unless
--mame is given). A file that is byte for byte a known dump is that dump, whichever layout it is
opened in. Images are named by MAME's known dumps (PlayChoice-10 and
Nintendo Super System sets, built in; --known-dumps FILE or )" QUARROW_KNOWN_DUMPS_SETTING R"( names
a newer table of the same format).

--pins names the FTDI pin of each PROM line as D0..D7, by the FT232R's signal names
(TXD RXD RTS CTS DTR DSR DCD RI) or by a port's pin names (ADBUS0..ADBUS7 or AD0..AD7 on port A,
BDBUS or BD on port B, CDBUS, DDBUS); default )" QUARROW_PINS_VALUE R"(, else the wiring stored for
the programmer (quarrow-cli wiring SERIAL --pins ..., or the window's "Programmer wiring..."), else
clock=D0,reset=D1,data=D4. Stored wirings live in )" WIRING_FILE_PLACE R"(. Only the clock and reset
pins are driven.

Exit status:
  0    success (compare: chip and file match)
  1    compare: chip and file do not match
  2    the command line could not be understood
  3    a device or file error, reads that differ, or a table of known dumps that cannot be read
  4    --strict: the read looks broken; nothing was saved
  130  Ctrl-C stopped a read: the programmer was closed, nothing was saved)";

void DeclareSimulation(CLI::App& program, CommonOptions& common) {
  auto* simulate = program.add_flag("--simulate", common.device.simulate,
                                    "Use the simulated programmer with its built-in sample chip")
                       ->group("Simulation");
  auto* simulateImage =
      program
          .add_option("--simulate-image", common.device.simulateImages,
                      "Use the simulated programmer, its PROM holding image file FILE (MAME "
                      "layout); given several times, the k-th chip archive reads holds the k-th "
                      "FILE")
          ->type_name("FILE")
          ->check(kFileName)
          ->expected(1)
          ->take_all()
          ->group("Simulation");
  simulate->excludes(simulateImage);
  // A test aid, left out of --help: unplugged, busy (another program holds the programmer),
  // reads-fail (it stops answering half-way through a read) or unstable-bit (one bit reads
  // differently on every other read).
  program.add_option("--simulate-fault", common.device.simulateFault)
      ->check(CLI::IsMember({"unplugged", "busy", "reads-fail", "unstable-bit"}))
      ->group("");
  // Test aids, left out of --help: the chip the simulated programmer is built on (FT232R, FT232H,
  // FT2232H, FT230X) and how its board is wired.
  program.add_option("--simulate-chip", common.pinTexts.simulateChip)->group("");
  program.add_option("--simulate-pins", common.pinTexts.simulatePins)->group("");
  program.add_flag("--simulate-invert-data", common.pinTexts.simulateInvertData)->group("");
}

void DeclarePinOptions(CLI::App& program, CommonOptions& common) {
  program
      .add_option("--pins", common.pinTexts.pins,
                  "Which FTDI pin each PROM line is wired to (default: " QUARROW_PINS_VALUE
                  ", else the wiring stored for the programmer, else clock=D0,reset=D1,data=D4)")
      ->type_name("clock=PIN,reset=PIN,data=PIN")
      ->group("Programmer wiring");
  program
      .add_flag("--invert-data", common.pinTexts.invertData,
                "The data line passes an inverting buffer on the board")
      ->group("Programmer wiring");
}

}  // namespace

const CLI::Validator kFileName(
    [](std::string& name) { return name.empty() ? "the file name is empty" : std::string(); }, "");

void DeclareProgram(CLI::App& program, CommonOptions& common) {
  program.set_version_flag("--version", std::string(res::kProgramName) + " " + res::kVersion);
  program.footer(kOverviewFooter);
  program.require_subcommand(1);
  // The common options may also follow the command (quarrow-cli read --simulate).
  program.fallthrough();
  // File names such as /tmp/dump.prm are arguments, not Windows-style /options.
  program.allow_windows_style_options(false);
  DeclareSimulation(program, common);
  DeclarePinOptions(program, common);
  auto* verbose = program.add_flag("-v,--verbose", common.device.verbose,
                                   "Show each step of the programmer library on standard error, "
                                   "with its result and the library's own words");
  program.add_flag("-q,--quiet", common.quiet,
                   "Print only errors and the data asked for: no progress bar, no notes")
      ->excludes(verbose);
  program
      .add_option("--known-dumps", common.knownDumpsFile,
                  "Identify images by this table of known dumps (tab-separated, the built-in "
                  "table's format); default: " QUARROW_KNOWN_DUMPS_VALUE ", else the built-in table")
      ->type_name("FILE")
      ->check(kFileName);
}

CLI::Option* AddFileArgument(CLI::App& command, std::string& file, const std::string& help) {
  return command.add_option("FILE", file, help)->required()->check(kFileName);
}

CLI::Option* AddDeviceOption(CLI::App& command, CommonOptions& common) {
  return command
      .add_option("--device", common.device.serial,
                  "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
}

CLI::Option* AddJsonFlag(CLI::App& command, bool& json, const std::string& help) {
  return command.add_flag("--json", json, help);
}

CLI::Option* AddRomLoadFlag(CLI::App& command, bool& romLoad) {
  return command.add_flag(
      "--rom-load", romLoad,
      "Also print MAME's ROM_LOAD line for the dump, in the layout MAME keeps its set in");
}

CLI::Option* AddStrictFlag(CLI::App& command, bool& strict) {
  return command.add_flag("--strict", strict,
                          "Fail with status 4, saving nothing, when the read looks broken (every "
                          "bit 0 or 1, a blank chip, TEST pin low)");
}

CLI::Option* AddReadsOption(CLI::App& command, int& reads, const std::string& help) {
  return command.add_option("--reads", reads, help)
      ->type_name("N")
      ->check(CLI::Range(kMinReads, kMaxReads));
}

CLI::Option* AddTraceOption(CLI::App& command, std::string& trace) {
  return command.add_option("--trace", trace, res::kTraceHelp)
      ->type_name("FILE.vcd")
      ->check(kFileName);
}

std::optional<std::string> TraceUsageError(const std::string& trace, const std::string& output) {
  if (trace.empty()) return std::nullopt;
  std::string problem = TraceTargetProblem(trace, output);
  if (problem.empty()) return std::nullopt;
  return problem;
}

ImageFileLayout Layout(bool nss) { return nss ? ImageFileLayout::Nss : ImageFileLayout::Mame; }

ImageFileLayout FileLayout(const std::string& file, bool nss, bool mame) {
  if (nss || mame) return Layout(nss);
  return LayoutForFileName(PathFromUtf8(file));
}

CLI::Option* AddFileLayoutFlags(CLI::App& command, bool& nss, bool& mame) {
  auto* nssFlag = command.add_flag(
      "--nss", nss, "The file is in the raw (NSS) layout (default for a file named *.nss)");
  command
      .add_flag("--mame", mame,
                "The file is in the MAME layout, whatever its name (default for any file not named "
                "*.nss)")
      ->excludes(nssFlag);
  return nssFlag;
}

}  // namespace quarrow::cli
