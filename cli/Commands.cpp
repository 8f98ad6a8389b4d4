// SPDX-License-Identifier: GPL-3.0-or-later
// show, identify, convert, list, read and compare.
#include "Commands.h"

#include <vector>

#include "CliTexts.h"
#include "IdentificationText.h"
#include "Identify.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "Strings.h"

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
    if (repair) console.out << kRepairWith << PrintableText(*repair) << '\n' << std::flush;
    if (openAs) console.out << kOpenWith << PrintableText(open) << '\n' << std::flush;
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
    console.err << kCantIdentify << PrintableText(error) << '\n';
    return false;
  }
  if (!identification->openAs) return true;
  std::string sets;
  for (const KnownDump& set : identification->sets) sets += (sets.empty() ? "" : ", ") + set.set;
  console.err << "Note - " << PrintableText(path) << kComparedAsOpened << PrintableText(sets)
              << kComparedAsOpenedEnd << LayoutTitle(*identification->openAs) << kComparedAsOpenedAs
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

ExitStatus ListCommand(const DeviceOptions& device, Console& console) {
  std::unique_ptr<ID2xx> d2xx = CreateBackend(device, console);
  if (!d2xx) return kExitFailure;
  const std::vector<DeviceEntry> entries = EnumerateProgrammers(*d2xx);
  if (entries.empty()) {
    ReportNoProgrammers(*d2xx, console);
    return kExitFailure;
  }
  // A device's strings come from the device itself.
  for (const DeviceEntry& entry : entries) console.out << PrintableText(entry.text) << '\n';
  return kExitSuccess;
}

ExitStatus ReadCommand(const DeviceOptions& device, const ReadOptions& options,
                       const Presentation& presentation, Console& console) {
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
  const PromImage& image = reads.front();
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
    if (saved) console.err << res::kSavedTo << PrintableText(options.output) << '\n';
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
    if (repair) console.out << kRepairWith << PrintableText(*repair) << '\n' << std::flush;
  }
  return saved && traced ? kExitSuccess : kExitFailure;
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
      if (!result.match) console.err << kDifferingBits << BitList(result.differingBits) << '\n';
    }
  }
  if (broken) {
    ReportBrokenRead(console);
    return kExitBrokenRead;
  }
  return result.match ? kExitSuccess : kExitMismatch;
}

}  // namespace quarrow::cli
