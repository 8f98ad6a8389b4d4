// SPDX-License-Identifier: GPL-3.0-or-later
// show, identify, convert, list, read and compare.
#include "Commands.h"

#include <vector>

#include "CliTexts.h"
#include "IdentificationText.h"
#include "Identification.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "Strings.h"

namespace quarrow::cli {

namespace {

// show and identify: the file's image, in full or its identification alone.
ExitStatus DescribeFile(const char* command, const std::string& path, ImageFileLayout layout,
                        const Presentation& presentation, Console& console,
                        bool identificationOnly) {
  PromImage image;
  if (!OpenImageReporting(path, layout, image, console)) return kExitFailure;
  // Nothing is printed unless the whole result is known, so a script never sees half a result.
  const std::optional<ImageFacts> facts = ExamineImage(image, presentation.knownDumps, console);
  if (!facts) return kExitFailure;
  if (presentation.json) {
    nlohmann::ordered_json report = ReportJson(command, &path, layout);
    AddImageJson(report, *facts);
    report["outcome"] = "ok";
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console, identificationOnly);
  }
  return kExitSuccess;
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

ExitStatus ConvertCommand(const std::string& in, const std::string& out, ImageFileLayout to,
                          Console& console) {
  const ImageFileLayout from = to == ImageFileLayout::Mame ? ImageFileLayout::Nss : ImageFileLayout::Mame;
  PromImage image;
  if (!OpenImageReporting(in, from, image, console)) return kExitFailure;
  if (!SaveImageReporting(out, image, to, console)) return kExitFailure;
  return kExitSuccess;
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
  if (!options.output.empty() && !CheckSaveTargetReporting(options.output, console)) {
    return kExitFailure;
  }
  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;

  PromImage image;
  if (!session->Read(image, options.verify ? std::string(res::kReading) + " (1 of 2)" : res::kReading,
                     console)) {
    return kExitFailure;
  }
  nlohmann::ordered_json report = ReportJson("read", nullptr, options.layout);
  if (options.verify) {
    PromImage again;
    if (!session->Read(again, std::string(res::kReading) + " (2 of 2)", console)) return kExitFailure;
    const ImageComparison reads = CompareImages(image, again);
    if (!reads.match) {
      // Neither read can be trusted, so nothing is saved; the diagnosis says why.
      const std::optional<ImageFacts> facts =
          ExamineImage(image, presentation.knownDumps, console, &again);
      if (!facts) return kExitFailure;
      if (presentation.json) {
        AddImageJson(report, *facts);
        report["outcome"] = "reads-differ";
        report["differing_bits"] = reads.differingBits;
        PrintJson(report, console);
      }
      for (Diagnosis diagnosis : facts->diagnoses) {
        console.err << DiagnosisSentence(diagnosis);
        if (diagnosis == Diagnosis::ReadsDiffer) {
          console.err << kReadsDifferBits << BitList(reads.differingBits);
        }
        console.err << '\n';
      }
      return kExitFailure;
    }
  }
  session.reset();

  // Save before printing, and print even when the save failed: a good read must reach the person
  // by one way or the other.
  bool saved = true;
  if (!options.output.empty()) {
    saved = SaveImageReporting(options.output, image, options.layout, console);
    if (saved) console.err << res::kSavedTo << PrintableText(options.output) << '\n';
  }
  const std::optional<ImageFacts> facts = ExamineImage(image, presentation.knownDumps, console);
  if (!facts) return kExitFailure;
  if (presentation.json) {
    if (saved && !options.output.empty()) {
      report["saved_to"] = options.output;
      report["file_layout"] = options.layout == ImageFileLayout::Nss ? "raw" : "mame";
    }
    AddImageJson(report, *facts);
    report["outcome"] = saved ? "ok" : "save-failed";
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console);
  }
  return saved ? kExitSuccess : kExitFailure;
}

ExitStatus CompareCommand(const DeviceOptions& device, const std::string& path,
                          ImageFileLayout layout, const Presentation& presentation,
                          Console& console) {
  // The file first: a wrong path should not cost a four-second read.
  PromImage file;
  if (!OpenImageReporting(path, layout, file, console)) return kExitFailure;

  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  PromImage chip;
  if (!session->Read(chip, res::kReading, console)) return kExitFailure;
  const std::optional<ImageFacts> facts = ExamineImage(chip, presentation.knownDumps, console);
  if (!facts) return kExitFailure;

  const ImageComparison result = CompareImages(chip, file);
  if (presentation.json) {
    nlohmann::ordered_json report = ReportJson("compare", &path, layout);
    AddImageJson(report, *facts);
    report["outcome"] = result.match ? "match" : "mismatch";
    report["differing_bits"] = result.differingBits;
    PrintJson(report, console);
  } else {
    PrintFacts(*facts, console);
    console.out << (result.match ? res::kChipAndFileMatch : res::kChipAndFileDiffer) << '\n'
                << std::flush;
    if (!result.match) console.err << kDifferingBits << BitList(result.differingBits) << '\n';
  }
  return result.match ? kExitSuccess : kExitMismatch;
}

}  // namespace quarrow::cli
