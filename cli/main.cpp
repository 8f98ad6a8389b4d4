// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli: reads RP5H01 serial PROMs through an FT232R programmer, and shows, converts and
// compares their 16-byte image files. Parses the command line and hands over to one command.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "CliTexts.h"
#include "Commands.h"
#include "PlatformConsole.h"
#include "Interruption.h"
#include "PrintableText.h"
#include "Strings.h"

namespace {

using namespace quarrow;
using namespace quarrow::cli;

// How the environment variable is set and named in the shell of the system.
#ifdef _WIN32
#define QUARROW_KNOWN_DUMPS_SETTING \
  "\"set QUARROW_KNOWN_DUMPS=FILE\" (PowerShell: $env:QUARROW_KNOWN_DUMPS=\"FILE\")"
#define QUARROW_KNOWN_DUMPS_VALUE "%QUARROW_KNOWN_DUMPS%"
#else
#define QUARROW_KNOWN_DUMPS_SETTING "QUARROW_KNOWN_DUMPS=FILE"
#define QUARROW_KNOWN_DUMPS_VALUE "$QUARROW_KNOWN_DUMPS"
#endif

constexpr const char* kFooter = R"(Examples:
  quarrow-cli list
  quarrow-cli read -o dump.prm             read the chip, save it in the MAME layout
  quarrow-cli read --verify --nss -o dump.bin --device A12BC3DE
  quarrow-cli compare dump.prm             is the chip still the one in dump.prm?
  quarrow-cli show dump.prm                the image text, MAME's CRC/SHA1 and which dump it is
  quarrow-cli identify dump.bin --nss      which of MAME's known dumps it is, if any
  quarrow-cli read --json > board7.json    the read as one JSON object, for scripts
  quarrow-cli convert dump.bin dump.prm --to mame
  quarrow-cli --simulate read              try the tool without a programmer

Image files are 16 bytes: the MAME layout (*.prm, each byte inverted and bit-mirrored) by default,
the raw "NSS" layout with --nss.

show, read, compare and identify name the known dump an image is (from MAME's PlayChoice-10 and
Nintendo Super System sets, built in; --known-dumps FILE or )" QUARROW_KNOWN_DUMPS_SETTING R"( names a newer
table of the same format) and say on standard error what a read that looks broken probably means.

Exit status:
  0    success (compare: chip and file match)
  1    compare: chip and file do not match
  2    the command line could not be understood
  3    a device or file error, or a table of known dumps that cannot be read
  130  Ctrl-C stopped a read: the programmer was closed, nothing was saved)";

ImageFileLayout Layout(bool nss) { return nss ? ImageFileLayout::Nss : ImageFileLayout::Mame; }

// An empty name is what a script passes for an unset variable; it must not quietly mean "none".
const CLI::Validator kFileName(
    [](std::string& name) { return name.empty() ? "the file name is empty" : std::string(); }, "");

}  // namespace

int main(int argc, char** argv) {
  Utf8Arguments args(argc, argv);
  UseUtf8Console();
  CLI::App app{"Reads the 128 bits of a Ricoh RP5H01 serial PROM through an FT232R USB programmer "
               "in bit-bang mode,\nand shows, saves, converts and compares 16-byte PROM image files.",
               kProgramName};
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string(kProgramName) + ": " + PrintableText(e.what()) + " (see " + kProgramName +
           " --help)\n";
  });
  app.set_version_flag("--version", std::string(kProgramName) + " " + res::kVersion);
  app.footer(kFooter);
  app.require_subcommand(1);
  app.fallthrough();
  // File names such as /tmp/dump.prm are arguments, not Windows-style /options.
  app.allow_windows_style_options(false);

  DeviceOptions device;
  auto* simulate = app.add_flag("--simulate", device.simulate,
                                "Use the simulated programmer with its built-in sample chip")
                       ->group("Simulation");
  auto* simulateImage =
      app.add_option("--simulate-image", device.simulateImage,
                     "Use the simulated programmer, its PROM holding image file FILE (MAME layout)")
          ->type_name("FILE")
          ->check(kFileName)
          ->group("Simulation");
  simulate->excludes(simulateImage);
  // A test aid, left out of --help: unplugged, busy (another program holds the programmer) or
  // reads-fail (it stops answering half-way through a read).
  app.add_option("--simulate-fault", device.simulateFault)
      ->check(CLI::IsMember({"unplugged", "busy", "reads-fail"}))
      ->group("");

  std::string knownDumpsFile;
  app.add_option("--known-dumps", knownDumpsFile,
                 "Identify images by this table of known dumps (tab-separated, the built-in table's "
                 "format); default: " QUARROW_KNOWN_DUMPS_VALUE ", else the built-in table")
      ->type_name("FILE")
      ->check(kFileName);

  std::string file;
  bool nss = false;
  bool json = false;
  constexpr const char* kJsonHelp = "Print one JSON object instead of text";

  CLI::App* show = app.add_subcommand(
      "show", "Print an image file's text, its MAME CRC/SHA1 and which known dump it is");
  show->add_option("FILE", file, "Image file")->required()->check(kFileName);
  show->add_flag("--nss", nss, "The file is in the raw (NSS) layout");
  show->add_flag("--json", json, kJsonHelp);

  CLI::App* identify =
      app.add_subcommand("identify", "Name the known dump an image file is, or say that it is none");
  identify->add_option("FILE", file, "Image file")->required()->check(kFileName);
  identify->add_flag("--nss", nss, "The file is in the raw (NSS) layout");
  identify->add_flag("--json", json, kJsonHelp);

  std::string convertIn, convertOut, convertTo;
  CLI::App* convert =
      app.add_subcommand("convert", "Convert an image file from the other layout into the one named");
  convert->add_option("IN", convertIn, "Image file to read, in the layout not named by --to")
      ->required()
      ->check(kFileName);
  convert->add_option("OUT", convertOut, "Image file to write")->required()->check(kFileName);
  convert->add_option("--to", convertTo, "Layout to write: mame or nss")
      ->required()
      ->check(CLI::IsMember({"mame", "nss"}));

  CLI::App* list = app.add_subcommand("list", "List the attached FT232R programmers");

  ReadOptions readOptions;
  CLI::App* read = app.add_subcommand(
      "read", "Read the PROM, print its text, MAME CRC/SHA1 and which known dump it is");
  read->add_option("--device", device.serial, "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  auto* output = read->add_option("-o,--output", readOptions.output,
                                  "Also save the image to FILE (MAME layout unless --nss)")
                     ->type_name("FILE")
                     ->check(kFileName);
  read->add_flag("--nss", nss, "Save in the raw (NSS) layout")->needs(output);
  read->add_flag("--verify", readOptions.verify,
                 "Read twice and fail unless both reads agree bit for bit");
  read->add_flag("--json", json, kJsonHelp);

  CLI::App* compare = app.add_subcommand("compare", "Read the PROM and compare it with an image file");
  compare->add_option("FILE", file, "Image file")->required()->check(kFileName);
  compare->add_flag("--nss", nss, "The file is in the raw (NSS) layout");
  compare->add_option("--device", device.serial,
                      "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  compare->add_flag("--json", json, kJsonHelp);

  try {
    app.parse(args.argc(), args.argv());
  } catch (const CLI::ParseError& e) {
    // A word where the command belongs is most likely a mistyped command; say so rather than that
    // one is missing.
    const std::vector<std::string> unused = app.remaining();
    if (app.get_subcommands().empty() && !unused.empty() && unused.front().rfind('-', 0) != 0 &&
        e.get_exit_code() != 0) {
      std::cerr << kProgramName << ": '" << PrintableText(unused.front()) << "'" << kNotACommand
                << " (see " << kProgramName << " --help)\n";
      return kExitUsage;
    }
    // Help and version end here with status 0; everything else is a usage error.
    return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
  }
  InstallSignalHandlers();

  Console console{std::cout, std::cerr, StandardErrorIsConsole()};
  ExitStatus status = kExitUsage;
  // Read before any chip is: a bad table should not cost a read.
  std::optional<KnownDumpTable> knownDumps;
  if (*show || *identify || *read || *compare) {
    knownDumps = LoadKnownDumpsReporting(knownDumpsFile, console);
    if (!knownDumps) return kExitFailure;
  }
  const KnownDumpTable noTable;
  const Presentation presentation{knownDumps ? *knownDumps : noTable, json};
  if (*show) {
    status = ShowCommand(file, Layout(nss), presentation, console);
  } else if (*identify) {
    status = IdentifyCommand(file, Layout(nss), presentation, console);
  } else if (*convert) {
    status = ConvertCommand(convertIn, convertOut,
                            convertTo == "nss" ? ImageFileLayout::Nss : ImageFileLayout::Mame, console);
  } else if (*list) {
    status = ListCommand(device, console);
  } else if (*read) {
    readOptions.layout = Layout(nss);
    status = ReadCommand(device, readOptions, presentation, console);
  } else if (*compare) {
    status = CompareCommand(device, file, Layout(nss), presentation, console);
  }
  // A read stopped by a signal ends as the signal would have ended it, whatever the command made of
  // the stop.
  if (InterruptedExitStatus() != kExitSuccess) status = InterruptedExitStatus();
  // A result that never reached its reader (a full disk, a closed pipe) is not a success.
  if (!std::cout.flush() && status != kExitFailure) {
    std::cerr << kCantWriteOutput << '\n';
    status = kExitFailure;
  }
  return status;
}
