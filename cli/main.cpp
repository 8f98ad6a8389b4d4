// SPDX-License-Identifier: GPL-3.0-or-later
// quarrow-cli: reads RP5H01 serial PROMs through an FTDI bit-bang programmer, and shows, converts and
// compares their 16-byte image files. Parses the command line and hands over to one command.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "CliTexts.h"
#include "Commands.h"
#include "PlatformConsole.h"
#include "Interruption.h"
#include "PrintableText.h"
#include "StandardStreams.h"
#include "Strings.h"
#include "TraceTexts.h"

namespace {

using namespace quarrow;
using namespace quarrow::cli;

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

constexpr const char* kFooter = R"(Examples:
  quarrow-cli list
  quarrow-cli read -o dump.prm             read the chip, save it in the MAME layout
  quarrow-cli read --reads 3 --nss -o dump.bin --device A12BC3DE
  quarrow-cli read --strict --rom-load     read, fail with status 4 if it looks broken, and print
                                           MAME's ROM_LOAD line for the dump
  quarrow-cli compare dump.prm             is the chip still the one in dump.prm?
  quarrow-cli show dump.prm                the image text, its CRC/SHA1 and which dump it is
  quarrow-cli identify dump.bin --nss      which of MAME's known dumps it is, if any
  quarrow-cli read --json > board7.json    the read as one JSON object, for scripts
  quarrow-cli convert dump.bin dump.prm --to mame
  quarrow-cli convert dump.prm dump.prm --from mame --to mame --invert    repair in place
  quarrow-cli archive dumps/               one chip after another into dumps/, logged in
                                           dumps/archive.tsv
  quarrow-cli --simulate read              try the tool without a programmer
  quarrow-cli --pins clock=RTS,reset=CTS,data=DCD selftest
                                           check a programmer wired to RTS, CTS and DCD
  quarrow-cli wiring A12BC3DE --pins clock=RTS,reset=CTS,data=DCD
                                           remember that wiring for programmer A12BC3DE

Image files are 16 bytes: the MAME layout (*.prm, each byte inverted and bit-mirrored) by default,
the raw "NSS" layout with --nss (show, identify and compare open a file named *.nss in it unless
--mame is given). A file that is byte for byte a known dump is that dump, whichever layout it is
opened in; convert does not turn it into a file that is none without --force, nor replace a file
that is not 16 bytes in place. The CRC(...) SHA1(...) line hashes the bytes in the layout the
command works in: the file's (--nss: raw) for show and compare, the saved file's for read. The
ROM_LOAD lines (--rom-load; one per ROM name the sets give a dump, none for a near miss) hash the
layout MAME keeps the set in: PlayChoice-10 sets and unknown dumps the MAME layout, NSS sets the
raw layout.

show, read, compare and identify name the known dump an image is (from MAME's PlayChoice-10 and
Nintendo Super System sets, built in; --known-dumps FILE or )" QUARROW_KNOWN_DUMPS_SETTING R"( names a newer
table of the same format) and say on standard error what a read that looks broken probably means.

--pins names the FTDI pin of each PROM line as D0..D7, by the FT232R's signal names
(TXD RXD RTS CTS DTR DSR DCD RI) or by a port's pin names (ADBUS0..ADBUS7 or AD0..AD7 on port A,
BDBUS or BD on port B, CDBUS, DDBUS); default )" QUARROW_PINS_VALUE R"(, else the wiring stored for
the programmer (quarrow-cli wiring SERIAL --pins ..., or the window's "Programmer wiring..."), else
clock=D0,reset=D1,data=D4. Stored wirings live in )" WIRING_FILE_PLACE R"(. Only the clock and reset
pins are driven.

Exit status:
  0    success (compare: chip and file match; selftest: the wiring is plausible)
  1    compare: chip and file do not match
  2    the command line could not be understood
  3    a device or file error, reads that differ, or a table of known dumps that cannot be read
       (archive: a chip was refused or could not be read, or a file, the log or the output
       could not be written; selftest: a likely wiring fault)
  4    --strict: the read looks broken (no chip, a blank chip, TEST pin low); nothing was saved
  130  Ctrl-C stopped a read: the programmer was closed, nothing was saved)";

ImageFileLayout Layout(bool nss) { return nss ? ImageFileLayout::Nss : ImageFileLayout::Mame; }
// The layout of a file to open: as --nss or --mame says, else as its name says (*.nss: raw).
ImageFileLayout FileLayout(const std::string& file, bool nss, bool mame) {
  if (nss || mame) return Layout(nss);
  return LayoutForFileName(PathFromUtf8(file));
}
ImageFileLayout LayoutNamed(const std::string& name) {
  return name == "nss" ? ImageFileLayout::Nss : ImageFileLayout::Mame;
}

// The parser's message quotes the value it refused: a pasted page keeps only its ends, which hold
// the option and the reason.
std::string WithoutFlood(std::string_view message) {
  constexpr std::size_t kEnd = 100;
  if (message.size() <= 3 * kEnd) return std::string(message);
  return std::string(message.substr(0, kEnd)) + "..." +
         std::string(message.substr(message.size() - kEnd));
}

// An empty name is what a script passes for an unset variable; it must not quietly mean "none".
const CLI::Validator kFileName(
    [](std::string& name) { return name.empty() ? "the file name is empty" : std::string(); }, "");

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard output would otherwise be the archive log's number,
  // and the results would be written into the log.
  OpenClosedStandardStreams();
  Utf8Arguments args(argc, argv);
  UseUtf8Console();
  CLI::App app{"Reads the 128 bits of a Ricoh RP5H01 serial PROM through an FTDI USB programmer "
               "in bit-bang mode,\nand shows, saves, converts and compares 16-byte PROM image files.",
               kProgramName};
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string(kProgramName) + ": " + PrintableText(WithoutFlood(e.what())) + " (see " +
           kProgramName + " --help)\n";
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
      app.add_option("--simulate-image", device.simulateImages,
                     "Use the simulated programmer, its PROM holding image file FILE (MAME layout); "
                     "given several times, the k-th chip archive reads holds the k-th FILE")
          ->type_name("FILE")
          ->check(kFileName)
          ->expected(1)
          ->take_all()
          ->group("Simulation");
  simulate->excludes(simulateImage);
  // A test aid, left out of --help: unplugged, busy (another program holds the programmer),
  // reads-fail (it stops answering half-way through a read) or unstable-bit (one bit reads
  // differently on every other read).
  app.add_option("--simulate-fault", device.simulateFault)
      ->check(CLI::IsMember({"unplugged", "busy", "reads-fail", "unstable-bit"}))
      ->group("");
  // Test aids, left out of --help: the chip the simulated programmer is built on (FT232R, FT232H,
  // FT2232H, FT230X) and how its board is wired.
  PinOptionTexts pinTexts;
  app.add_option("--simulate-chip", pinTexts.simulateChip)->group("");
  app.add_option("--simulate-pins", pinTexts.simulatePins)->group("");
  app.add_flag("--simulate-invert-data", pinTexts.simulateInvertData)->group("");

  app.add_option("--pins", pinTexts.pins,
                 "Which FTDI pin each PROM line is wired to (default: " QUARROW_PINS_VALUE ", else the "
                 "wiring stored for the programmer, else clock=D0,reset=D1,data=D4)")
      ->type_name("clock=PIN,reset=PIN,data=PIN")
      ->group("Programmer wiring");
  app.add_flag("--invert-data", pinTexts.invertData,
               "The data line passes an inverting buffer on the board")
      ->group("Programmer wiring");

  std::string knownDumpsFile;
  app.add_option("--known-dumps", knownDumpsFile,
                 "Identify images by this table of known dumps (tab-separated, the built-in table's "
                 "format); default: " QUARROW_KNOWN_DUMPS_VALUE ", else the built-in table")
      ->type_name("FILE")
      ->check(kFileName);

  std::string file;
  bool nss = false;
  bool mame = false;
  bool json = false;
  bool romLoad = false;
  bool strict = false;
  constexpr const char* kNssFileHelp =
      "The file is in the raw (NSS) layout (default for a file named *.nss)";
  constexpr const char* kMameFileHelp =
      "The file is in the MAME layout, whatever its name (default for any file not named *.nss)";
  constexpr const char* kJsonHelp = "Print one JSON object instead of text";
  constexpr const char* kRomLoadHelp =
      "Also print MAME's ROM_LOAD line for the dump, in the layout MAME keeps its set in";
  constexpr const char* kStrictHelp =
      "Fail with status 4, saving nothing, when the read looks broken (every bit 0 or 1, a blank "
      "chip, TEST pin low)";
  const auto readsRange = CLI::Range(kMinReads, kMaxReads);

  CLI::App* show = app.add_subcommand(
      "show", "Print an image file's text, its CRC/SHA1 and which known dump it is");
  show->add_option("FILE", file, "Image file")->required()->check(kFileName);
  auto* showNss = show->add_flag("--nss", nss, kNssFileHelp);
  show->add_flag("--mame", mame, kMameFileHelp)->excludes(showNss);
  show->add_flag("--rom-load", romLoad, kRomLoadHelp);
  show->add_flag("--json", json, kJsonHelp);

  CLI::App* identify =
      app.add_subcommand("identify", "Name the known dump an image file is, or say that it is none");
  identify->add_option("FILE", file, "Image file")->required()->check(kFileName);
  auto* identifyNss = identify->add_flag("--nss", nss, kNssFileHelp);
  identify->add_flag("--mame", mame, kMameFileHelp)->excludes(identifyNss);
  identify->add_flag("--rom-load", romLoad, kRomLoadHelp);
  identify->add_flag("--json", json, kJsonHelp);

  ConvertOptions convertOptions;
  std::string convertFrom, convertTo;
  CLI::App* convert = app.add_subcommand(
      "convert", "Convert an image file into the layout named, repairing it on the way if asked");
  convert->add_option("IN", convertOptions.in, "Image file to read (may be the same as OUT)")
      ->required()
      ->check(kFileName);
  convert->add_option("OUT", convertOptions.out, "Image file to write")
      ->required()
      ->check(kFileName);
  convert->add_option("--to", convertTo, "Layout to write: mame or nss")
      ->required()
      ->check(CLI::IsMember({"mame", "nss"}));
  convert->add_option("--from", convertFrom,
                      "Layout of IN: mame or nss (default: the layout not named by --to)")
      ->check(CLI::IsMember({"mame", "nss"}));
  convert->add_flag("--invert", convertOptions.repairs.invert, "Invert every bit");
  convert->add_flag("--mirror", convertOptions.repairs.mirror,
                    "Reverse the order of the bits within each byte");
  convert->add_flag("--swap-halves", convertOptions.repairs.swapHalves,
                    "Swap bits 0-63 and bits 64-127");
  convert->add_flag("--force", convertOptions.force,
                    "Convert even when IN seems to be in the target layout already, or is a known "
                    "dump's file that the conversion would turn into none");

  CLI::App* list = app.add_subcommand("list", "List the attached programmers (FTDI chips with bit-bang)");

  ReadOptions readOptions;
  CLI::App* read = app.add_subcommand(
      "read", "Read the PROM, print its text, its CRC/SHA1 and which known dump it is");
  read->add_option("--device", device.serial, "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  auto* output = read->add_option("-o,--output", readOptions.output,
                                  "Also save the image to FILE (MAME layout unless --nss)")
                     ->type_name("FILE")
                     ->check(kFileName);
  read->add_flag("--nss", nss, "Save in the raw (NSS) layout")->needs(output);
  int reads = 0;
  bool verify = false;
  auto* readsOption =
      read->add_option("--reads", reads,
                       "Read N times (2 to 99) and fail, saving nothing and listing the unstable "
                       "bits, unless all reads agree bit for bit")
          ->type_name("N")
          ->check(readsRange);
  read->add_flag("--verify", verify, "The same as --reads 2")->excludes(readsOption);
  read->add_flag("--strict", strict, kStrictHelp);
  read->add_flag("--rom-load", romLoad, kRomLoadHelp);
  read->add_flag("--json", json, kJsonHelp);
  std::string trace;
  read->add_option("--trace", trace, res::kTraceHelp)->type_name("FILE.vcd")->check(kFileName);

  CLI::App* compare = app.add_subcommand("compare", "Read the PROM and compare it with an image file");
  compare->add_option("FILE", file, "Image file")->required()->check(kFileName);
  auto* compareNss = compare->add_flag("--nss", nss, kNssFileHelp);
  compare->add_flag("--mame", mame, kMameFileHelp)->excludes(compareNss);
  compare->add_option("--device", device.serial,
                      "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  compare->add_flag("--strict", strict, kStrictHelp);
  compare->add_flag("--json", json, kJsonHelp);

  ArchiveOptions archiveOptions;
  CLI::App* archive = app.add_subcommand(
      "archive", "Read one chip after another into a folder of dumps named by their sets, with a "
                 "log");
  archive->add_option("DIR", archiveOptions.folder, "Folder to archive into (made if missing)")
      ->required()
      ->check(kFileName);
  archive->add_option("--reads", archiveOptions.reads,
                      "Read each chip N times (2 to 99, default 2); a chip whose reads differ is "
                      "not archived")
      ->type_name("N")
      ->check(readsRange);
  bool archiveStrict = false;
  archive->add_flag("--strict", archiveStrict,
                    "Refuse reads that look broken; always on for archive, accepted for scripts "
                    "that pass it to every command");
  archive->add_option("--device", device.serial,
                      "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  archive->add_flag("--json", json, "Print one JSON object per chip, one a line (JSON Lines)");

  CLI::App* selftest = app.add_subcommand(
      "selftest", "Check the programmer's wiring: do clock and reset follow, does data change as a chip's");
  selftest->add_option("--device", device.serial,
                       "Serial number of the programmer (default: the first listed)")
      ->type_name("SERIAL");
  selftest->add_flag("--json", json, kJsonHelp);
  selftest->add_option("--trace", trace, res::kTraceHelp)->type_name("FILE.vcd")->check(kFileName);

  WiringOptions wiringOptions;
  CLI::App* wiring = app.add_subcommand(
      "wiring", "Show the wirings stored for programmers (the window's too), store one or drop one");
  wiring->add_option("SERIAL", wiringOptions.serial,
                     "Serial number of the programmer, as list shows it (default: show every stored wiring)")
      ->check(kFileName);
  wiring->add_flag("--forget", wiringOptions.forget, "Drop the wiring stored for SERIAL");
  wiring->footer("With --pins (and --invert-data), stores that wiring for SERIAL; read, compare, archive and "
                 "selftest use it for that programmer when neither --pins nor " QUARROW_PINS_VALUE " is given.");

  try {
    app.parse(args.argc(), args.argv());
  } catch (const CLI::ParseError& e) {
    // A word where the command belongs is most likely a mistyped command; say so rather than that
    // one is missing.
    const std::vector<std::string> unused = app.remaining();
    if (app.get_subcommands().empty() && !unused.empty() && unused.front().rfind('-', 0) != 0 &&
        e.get_exit_code() != 0) {
      std::cerr << kProgramName << ": " << PrintableText(QuotedExcerpt(unused.front()))
                << kNotACommand
                << " (see " << kProgramName << " --help)\n";
      return kExitUsage;
    }
    // Help and version end here with status 0; everything else is a usage error.
    return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
  }
  std::string pinsError;
  if (!ResolvePinOptions(pinTexts, device, pinsError)) {
    std::cerr << kProgramName << ": " << PrintableText(pinsError) << " (see " << kProgramName
              << " --help)\n";
    return kExitUsage;
  }
  // Standard output holds one JSON object and nothing else, so a script can parse it whole.
  if (*read && json && !readOptions.output.empty() && NamesStandardOutput(readOptions.output)) {
    std::cerr << kProgramName << ": " << kJsonOutputIsStandardOutput << " (see " << kProgramName
              << " read --help)\n";
    return kExitUsage;
  }
  if (!trace.empty()) {
    const std::string problem = TraceTargetProblem(trace, *read ? readOptions.output : std::string());
    if (!problem.empty()) {
      std::cerr << kProgramName << ": " << problem << " (see " << kProgramName << ' '
                << (*read ? "read" : "selftest") << " --help)\n";
      return kExitUsage;
    }
  }
  InstallSignalHandlers();

  Console console{std::cout, std::cerr, StandardErrorIsConsole()};
  ExitStatus status = kExitUsage;
  // Read before any chip is: a bad table should not cost a read.
  std::optional<KnownDumpTable> knownDumps;
  if (*show || *identify || *read || *compare || *convert || *archive) {
    knownDumps = LoadKnownDumpsReporting(knownDumpsFile, console);
    if (!knownDumps) return kExitFailure;
  }
  const KnownDumpTable noTable;
  const Presentation presentation{knownDumps ? *knownDumps : noTable, json, romLoad};
  if (*show) {
    status = ShowCommand(file, FileLayout(file, nss, mame), presentation, console);
  } else if (*identify) {
    status = IdentifyCommand(file, FileLayout(file, nss, mame), presentation, console);
  } else if (*convert) {
    convertOptions.to = LayoutNamed(convertTo);
    // By default the other layout, as convert has always read it.
    convertOptions.from = convertFrom.empty()
                              ? (convertOptions.to == ImageFileLayout::Mame ? ImageFileLayout::Nss
                                                                            : ImageFileLayout::Mame)
                              : LayoutNamed(convertFrom);
    status = ConvertCommand(convertOptions, presentation.knownDumps, console);
  } else if (*list) {
    status = ListCommand(device, console);
  } else if (*read) {
    readOptions.layout = Layout(nss);
    readOptions.reads = verify ? kMinReads : reads > 0 ? reads : 1;
    readOptions.strict = strict;
    readOptions.trace = trace;
    status = ReadCommand(device, readOptions, presentation, console);
  } else if (*compare) {
    status = CompareCommand(device, file, FileLayout(file, nss, mame), strict, presentation,
                            console);
  } else if (*archive) {
    status = ArchiveCommand(device, archiveOptions, presentation, std::cin, console);
  } else if (*selftest) {
    status = SelfTestCommand(device, json, trace, console);
  } else if (*wiring) {
    wiringOptions.pins = pinTexts.pins;
    wiringOptions.invertData = pinTexts.invertData;
    status = WiringCommand(wiringOptions, console);
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
