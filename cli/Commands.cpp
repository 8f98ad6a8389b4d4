// SPDX-License-Identifier: GPL-3.0-or-later
// show, identify, convert, list, read and compare.
#include "Commands.h"

#include <memory>
#include <vector>

#include "Texts.h"
#include "CommandLine.h"
#include "IdentificationText.h"
#include "Identify.h"
#include "PlatformConsole.h"
#include "PrintableText.h"
#include "StandardStreams.h"
#include "Programmer.h"
#include "WiringFile.h"

namespace quarrow::cli {

namespace {

// show and identify: the file's image, in full or its identification alone; for a near miss, the
// convert line that repairs the file; for a known dump's file opened in the other layout, the line
// that opens it in its own.
ExitStatus DescribeFile(const char* command, const std::string& path, ImageFileLayout layout,
                        const Presentation& presentation, Console& console,
                        bool identificationOnly) {
  std::vector<std::uint8_t> bytes;
  if (!ReadImageBytesReporting(path, bytes, console)) return kExitFailure;
  // Nothing is printed unless the whole result is known, so a script never sees half a result.
  const std::optional<ImageFacts> facts =
      ExamineFile(bytes, layout, presentation.knownDumps, console);
  if (!facts) return kExitFailure;
  const std::optional<std::string> repair =
      RepairCommandLine(path, layout, facts->identification);
  const std::optional<ImageFileLayout> openAs = facts->identification.openAs;
  const std::string open =
      openAs ? OpenCommandLine(command, path, *openAs, presentation.romLoad) : std::string();
  if (presentation.json) {
    nlohmann::ordered_json report = ReportJson(command, &path, layout);
    AddImageJson(report, *facts, presentation.romLoad);
    if (repair) report["repair"] = *repair;
    if (openAs) report["open_with"] = open;
    report["outcome"] = "ok";
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console, identificationOnly, presentation.romLoad);
    if (repair) console.out << res::kRepairWith << PrintableText(*repair) << '\n' << std::flush;
    if (openAs) console.out << res::kOpenWith << PrintableText(open) << '\n' << std::flush;
  }
  return kExitSuccess;
}

// compare of a known dump's file opened in the other layout would find a mismatch that is none.
bool NoteFileInOtherLayout(const std::string& path, std::span<const std::uint8_t> bytes,
                           ImageFileLayout layout, const KnownDumpTable& knownDumps,
                           Console& console) {
  std::string error;
  const std::optional<Identification> identification =
      IdentifyFile(bytes, layout, knownDumps, error);
  if (!identification) {
    console.err << res::kCantIdentify << PrintableText(error) << '\n';
    return false;
  }
  if (!identification->openAs) return true;
  std::string sets;
  for (const KnownDump& set : identification->sets) sets += (sets.empty() ? "" : ", ") + set.set;
  console.err << "Note - " << PrintableText(path) << res::kComparedAsOpened << PrintableText(sets)
              << res::kComparedAsOpenedEnd << LayoutTitle(*identification->openAs) << res::kComparedAsOpenedAs
              << PrintableText(OpenCommandLine("compare", path, *identification->openAs, false))
              << '\n';
  return true;
}

}  // namespace

ExitStatus ShowCommand(const std::string& path, ImageFileLayout layout,
                       const Presentation& presentation, Console& console) {
  return DescribeFile("show", path, layout, presentation, console, false);
}

ExitStatus IdentifyCommand(const std::string& path, ImageFileLayout layout,
                           const Presentation& presentation, Console& console) {
  return DescribeFile("identify", path, layout, presentation, console, true);
}

ExitStatus ListCommand(const DeviceOptions& device, bool json, Console& console) {
  std::unique_ptr<IProgrammerLibrary> library = CreateBackend(device, console);
  if (!library) return kExitFailure;
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(*library);
  if (json) {
    // An empty list is still an answer a script can parse; the reason goes to standard error.
    nlohmann::ordered_json programmers = nlohmann::ordered_json::array();
    for (const DeviceEntry& entry : entries) {
      nlohmann::ordered_json chip = nullptr;
      if (entry.chip) chip = FactsOf(*entry.chip).name;
      else if (!entry.model.empty()) chip = entry.model;
      programmers.push_back({{"serial", SerialSpelling(entry.serial)},
                             {"family", entry.family.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(entry.family)},
                             {"chip", chip},
                             {"port", PortLetter(entry.port)},
                             {"text", entry.text}});
    }
    PrintJson({{"command", "list"}, {"programmers", programmers}}, console);
  }
  if (entries.empty()) {
    ReportNoProgrammers(*library, console);
    return kExitFailure;
  }
  if (json) return kExitSuccess;
  // A device's strings come from the device itself.
  for (const DeviceEntry& entry : entries) console.out << PrintableText(entry.text) << '\n';
  return kExitSuccess;
}

namespace {

// read, its result printed and (given -o FILE) saved; on success `image` holds what was read.
ExitStatus ReadAndReport(const DeviceOptions& device, const ReadOptions& options,
                         const Presentation& presentation, Console& console, PromImage& image) {
  // A save that is bound to fail should not cost a four-second read first.
  for (const std::string& file : {options.output, options.trace}) {
    if (!file.empty() && !CheckSaveTargetReporting(file, console)) return kExitFailure;
  }
  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;

  std::vector<PromImage> reads;
  PinTrace trace;
  if (!options.trace.empty()) session->RecordInto(trace);
  const bool read = session->ReadRepeatedly(options.reads, reads, res::kReading, console);
  session.reset();
  // The trace of a read that failed is the one most worth having; after Ctrl-C nothing is saved.
  const bool traced = options.trace.empty() || InterruptedExitStatus() != kExitSuccess ||
                      SaveTraceReporting(options.trace, trace, console);
  if (!read) return kExitFailure;
  image = reads.front();
  nlohmann::ordered_json report = ReportJson("read", nullptr, options.layout);

  const std::vector<UnstableBit> unstable = UnstableBits(reads);
  if (!unstable.empty()) {
    // No read can be trusted, so nothing is saved; the diagnosis and the bits say why.
    const std::optional<ImageFacts> facts =
        ExamineImage(image, options.layout, presentation.knownDumps, console, &reads);
    if (!facts) return kExitFailure;
    if (presentation.json) {
      AddImageJson(report, *facts, presentation.romLoad);
      report["outcome"] = "reads-differ";
      AddUnstableJson(report, unstable);
      PrintJson(report, console);
    }
    PrintUnstableRead(*facts, unstable, console);
    return kExitFailure;
  }

  const std::optional<ImageFacts> facts =
      ExamineImage(image, options.layout, presentation.knownDumps, console);
  if (!facts) return kExitFailure;
  if (options.strict && facts->LooksBroken()) {
    if (presentation.json) {
      AddImageJson(report, *facts, presentation.romLoad);
      report["outcome"] = "read-looks-broken";
      PrintJson(report, console);
    } else {
      PrintFacts(*facts, console, false, presentation.romLoad);
    }
    ReportBrokenRead(console);
    return kExitBrokenRead;
  }

  // Save before printing, and print even when the save failed: a good read must reach the person
  // by one way or the other.
  bool saved = true;
  if (!options.output.empty()) {
    saved = SaveImageReporting(options.output, image, options.layout, console);
    if (saved) console.Notes() << res::kSavedTo << PrintableText(options.output) << '\n';
  }
  // A near miss saved: the line that turns the file into the dump, as show would name it.
  const std::optional<std::string> repair =
      saved && !options.output.empty()
          ? RepairCommandLine(options.output, options.layout, facts->identification)
          : std::nullopt;
  if (presentation.json) {
    if (saved && !options.output.empty()) {
      report["saved_to"] = options.output;
      report["file_layout"] = options.layout == ImageFileLayout::Nss ? "raw" : "mame";
    }
    if (traced && !options.trace.empty()) report["trace_saved_to"] = options.trace;
    AddImageJson(report, *facts, presentation.romLoad);
    if (repair) report["repair"] = *repair;
    report["outcome"] = saved && traced ? "ok" : "save-failed";
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console, false, presentation.romLoad);
    if (repair) console.out << res::kRepairWith << PrintableText(*repair) << '\n' << std::flush;
  }
  return saved && traced ? kExitSuccess : kExitFailure;
}

}  // namespace

ExitStatus ReadCommand(const DeviceOptions& device, const ReadOptions& options,
                       const Presentation& presentation, Console& console) {
  PromImage image;
  if (options.output != kStandardOutputName) {
    return ReadAndReport(device, options, presentation, console, image);
  }
  // Standard output carries the image's bytes and nothing else, so the text goes to standard error.
  Console textOnErr{console.Notes(), console.err, console.errIsTerminal, console.quiet};
  ReadOptions printOnly = options;
  printOnly.output.clear();
  const ExitStatus status = ReadAndReport(device, printOnly, presentation, textOnErr, image);
  if (status != kExitSuccess) return status;
  UseBinaryStandardOutput();
  const ImageFileBytes bytes = EncodeImageFile(image, options.layout);
  // Whether the bytes arrived is checked where every command's output is: at the final flush.
  console.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return kExitSuccess;
}

ExitStatus CompareCommand(const DeviceOptions& device, const std::string& path,
                          ImageFileLayout layout, bool strict, const Presentation& presentation,
                          Console& console) {
  // The file first: a wrong path should not cost a four-second read.
  std::vector<std::uint8_t> bytes;
  if (!ReadImageBytesReporting(path, bytes, console)) return kExitFailure;
  const PromImage file = DecodeImageFile(bytes, layout);
  if (!NoteFileInOtherLayout(path, bytes, layout, presentation.knownDumps, console)) {
    return kExitFailure;
  }

  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  PromImage chip;
  if (!session->Read(chip, res::kReading, console)) return kExitFailure;
  const std::optional<ImageFacts> facts =
      ExamineImage(chip, layout, presentation.knownDumps, console);
  if (!facts) return kExitFailure;

  // A broken read is no chip to compare with: a file of all zeros would "match" an empty socket.
  const bool broken = strict && facts->LooksBroken();
  const ImageComparison result = CompareImages(chip, file);
  if (presentation.json) {
    nlohmann::ordered_json report = ReportJson("compare", &path, layout);
    AddImageJson(report, *facts);
    if (broken) {
      report["outcome"] = "read-looks-broken";
    } else {
      report["outcome"] = result.match ? "match" : "mismatch";
      report["differing_bits"] = result.differingBits;
    }
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console);
    if (!broken) {
      console.out << (result.match ? res::kChipAndFileMatch : res::kChipAndFileDiffer) << '\n'
                  << std::flush;
      if (!result.match) console.err << res::kDifferingBits << BitList(result.differingBits) << '\n';
    }
  }
  if (broken) {
    ReportBrokenRead(console);
    return kExitBrokenRead;
  }
  return result.match ? kExitSuccess : kExitMismatch;
}

namespace {

// show and identify take the same options.
struct DescribeOptions {
  std::string file;
  bool nss = false;
  bool mame = false;
  bool romLoad = false;
  bool json = false;
};

using DescribeCommand = ExitStatus (*)(const std::string& path, ImageFileLayout layout,
                                       const Presentation& presentation, Console& console);
Command DeclareDescribe(CLI::App& program, const char* name, const char* summary,
                        const char* footer, DescribeCommand run) {
  CLI::App* command = program.add_subcommand(name, summary);
  command->footer(footer);
  auto options = std::make_shared<DescribeOptions>();
  AddFileArgument(*command, options->file, "Image file");
  AddFileLayoutFlags(*command, options->nss, options->mame);
  AddRomLoadFlag(*command, options->romLoad);
  AddJsonFlag(*command, options->json);
  return {command, true, nullptr,
          [options, run](const CommandContext& context) {
            return run(options->file, FileLayout(options->file, options->nss, options->mame),
                       {context.knownDumps, options->json, options->romLoad}, context.console);
          }};
}

}  // namespace

Command DeclareShow(CLI::App& program) {
  return DeclareDescribe(program, "show",
                         "Print an image file's text, its CRC/SHA1 and which known dump it is",
                         R"(Examples:
  quarrow-cli show dump.prm                the image text, its CRC/SHA1 and which dump it is
  quarrow-cli show dump.bin --nss --rom-load
                                           a raw-layout file, with MAME's ROM_LOAD line

The CRC(...) SHA1(...) line hashes the file's bytes as they are. The ROM_LOAD line hashes the
layout MAME keeps the set in: PlayChoice-10 sets and unknown dumps the MAME layout, NSS sets the
raw layout. For a near miss, a last line names the convert command that repairs the file.

Exit status:
  0    the file was shown
  2    the command line could not be understood
  3    the file or the table of known dumps cannot be read)",
                         ShowCommand);
}

Command DeclareIdentify(CLI::App& program) {
  return DeclareDescribe(program, "identify",
                         "Name the known dump an image file is, or say that it is none",
                         R"(Examples:
  quarrow-cli identify dump.prm            which of MAME's known dumps it is, if any
  quarrow-cli identify dump.bin --nss --json

For a near miss, a second line names the convert command that repairs the file in place.

Exit status:
  0    the file was identified (a dump that is not known included)
  2    the command line could not be understood
  3    the file or the table of known dumps cannot be read)",
                         IdentifyCommand);
}

Command DeclareList(CLI::App& program) {
  CLI::App* list =
      program.add_subcommand("list", "List the attached programmers (FTDI chips with bit-bang)");
  list->footer(R"(Examples:
  quarrow-cli list                         one programmer a line: SERIAL - description
  quarrow-cli --simulate list              the simulated programmer
  quarrow-cli list --json                  the same as one JSON object, for scripts

Exit status:
  0    at least one programmer is attached
  3    no programmer found (the reason, when the programmer library gives one, follows))");
  auto json = std::make_shared<bool>(false);
  AddJsonFlag(*list, *json);
  return {list, false, nullptr, [json](const CommandContext& context) {
            return ListCommand(context.device, *json, context.console);
          }};
}

Command DeclareRead(CLI::App& program, CommonOptions& common) {
  CLI::App* read = program.add_subcommand(
      "read", "Read the PROM, print its text, its CRC/SHA1 and which known dump it is");
  read->footer(R"(Examples:
  quarrow-cli read -o dump.prm             read the chip, save it in the MAME layout
  quarrow-cli read --reads 3 --nss -o dump.bin --device A12BC3DE
  quarrow-cli read --strict --rom-load     read, fail with status 4 if it looks broken, and print
                                           MAME's ROM_LOAD line for the dump
  quarrow-cli read --json > board7.json    the read as one JSON object, for scripts
  quarrow-cli -q read -o - | xxd           the image's 16 bytes on standard output

The CRC(...) SHA1(...) line hashes the saved file's bytes (the MAME layout when nothing is saved).
A read that looks broken is said so on standard error.

Exit status:
  0    the chip was read (and saved)
  2    the command line could not be understood
  3    no programmer, a read or save that failed, reads that differ (nothing was saved), or a
       table of known dumps that cannot be read
  4    --strict: the read looks broken (no chip, a blank chip, TEST pin low); nothing was saved
  130  Ctrl-C stopped the read: the programmer was closed, nothing was saved)");
  struct Options {
    ReadOptions read;
    bool nss = false;
    int reads = 0;
    bool verify = false;
    bool romLoad = false;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  AddDeviceOption(*read, common);
  auto* output = read->add_option("-o,--output", options->read.output,
                                  "Also save the image to FILE (MAME layout unless --nss); -o - "
                                  "writes it to standard output, the text then going to "
                                  "standard error")
                     ->type_name("FILE")
                     ->check(kFileName);
  read->add_flag("--nss", options->nss, "Save in the raw (NSS) layout")->needs(output);
  auto* reads = AddReadsOption(*read, options->reads,
                               "Read N times (2 to 99) and fail, saving nothing and listing the "
                               "unstable bits, unless all reads agree bit for bit");
  read->add_flag("--verify", options->verify, "The same as --reads 2")->excludes(reads);
  AddStrictFlag(*read, options->read.strict);
  AddRomLoadFlag(*read, options->romLoad);
  AddJsonFlag(*read, options->json);
  AddTraceOption(*read, options->read.trace);
  auto usageError = [options]() -> std::optional<std::string> {
    if (options->read.output == kStandardOutputName) {
      if (options->json) return std::string(res::kJsonOutputIsStandardOutput);
      if (StandardOutputIsConsole()) return std::string(res::kImageOutputIsTerminal);
      if (StandardOutputWasClosed()) return std::string(res::kImageOutputIsClosed);
    }
    // Standard output holds one JSON object and nothing else, so a script can parse it whole.
    if (options->json && !options->read.output.empty() &&
        NamesStandardOutput(options->read.output)) {
      return std::string(res::kJsonOutputIsStandardOutput);
    }
    return TraceUsageError(options->read.trace, options->read.output);
  };
  return {read, true, usageError, [options](const CommandContext& context) {
            options->read.layout = Layout(options->nss);
            options->read.reads = options->verify      ? kMinReads
                                  : options->reads > 0 ? options->reads
                                                       : 1;
            return ReadCommand(context.device, options->read,
                               {context.knownDumps, options->json, options->romLoad},
                               context.console);
          }};
}

Command DeclareCompare(CLI::App& program, CommonOptions& common) {
  CLI::App* compare =
      program.add_subcommand("compare", "Read the PROM and compare it with an image file");
  compare->footer(R"(Examples:
  quarrow-cli compare dump.prm             is the chip still the one in dump.prm?
  quarrow-cli compare dump.bin --nss --strict

The file is opened first, so that a wrong path costs no read; the numbers of the differing bits go
to standard error.

Exit status:
  0    chip and file match
  1    chip and file do not match
  2    the command line could not be understood
  3    no programmer, a read that failed, or a file or table of known dumps that cannot be read
  4    --strict: the read looks broken; it was not compared
  130  Ctrl-C stopped the read: the programmer was closed)");
  struct Options {
    std::string file;
    bool nss = false;
    bool mame = false;
    bool strict = false;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  AddFileArgument(*compare, options->file, "Image file");
  AddFileLayoutFlags(*compare, options->nss, options->mame);
  AddDeviceOption(*compare, common);
  AddStrictFlag(*compare, options->strict);
  AddJsonFlag(*compare, options->json);
  return {compare, true, nullptr, [options](const CommandContext& context) {
            return CompareCommand(context.device, options->file,
                                  FileLayout(options->file, options->nss, options->mame),
                                  options->strict, {context.knownDumps, options->json, false},
                                  context.console);
          }};
}

}  // namespace quarrow::cli
