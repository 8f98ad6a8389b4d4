// show, convert, list, read and compare.
#include "Commands.h"

#include <vector>

#include "CliTexts.h"
#include "Identification.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "Strings.h"

namespace quarrow::cli {

namespace {

std::string BitList(const std::vector<int>& bits) {
  std::string text;
  for (int bit : bits) {
    if (!text.empty()) text += ", ";
    text += std::to_string(bit);
  }
  return text;
}

// The image text and, on the next line, its identification. Prints nothing unless both are known,
// so a script never sees half a result.
ExitStatus PrintImage(const PromImage& image, Console& console) {
  std::string error;
  const std::optional<std::string> identification = MameIdentification(image, error);
  if (!identification) {
    console.err << kCantIdentify << error << '\n';
    return kExitFailure;
  }
  console.out << FormatImageText(image) << '\n' << *identification << '\n' << std::flush;
  return kExitSuccess;
}

}  // namespace

ExitStatus ShowCommand(const std::string& path, ImageFileLayout layout, Console& console) {
  PromImage image;
  if (!OpenImageReporting(path, layout, image, console)) return kExitFailure;
  return PrintImage(image, console);
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
    console.err << res::kNoDevicesFound << '\n';
    return kExitFailure;
  }
  // A device's strings come from the device itself.
  for (const DeviceEntry& entry : entries) console.out << PrintableText(entry.text) << '\n';
  return kExitSuccess;
}

ExitStatus ReadCommand(const DeviceOptions& device, const ReadOptions& options, Console& console) {
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
  if (options.verify) {
    PromImage again;
    if (!session->Read(again, std::string(res::kReading) + " (2 of 2)", console)) return kExitFailure;
    const ImageComparison reads = CompareImages(image, again);
    if (!reads.match) {
      console.err << kReadsDiffer << BitList(reads.differingBits) << '\n';
      return kExitFailure;
    }
  }
  session.reset();

  // Save before printing, and print even when the save failed: a good read must reach the person
  // by one way or the other.
  bool saved = true;
  if (!options.output.empty()) {
    saved = SaveImageReporting(options.output, image, options.layout, console);
    if (saved) console.err << res::kSavedTo << PrintablePath(options.output) << '\n';
  }
  const ExitStatus printed = PrintImage(image, console);
  return saved ? printed : kExitFailure;
}

ExitStatus CompareCommand(const DeviceOptions& device, const std::string& path,
                          ImageFileLayout layout, Console& console) {
  // The file first: a wrong path should not cost a four-second read.
  PromImage file;
  if (!OpenImageReporting(path, layout, file, console)) return kExitFailure;

  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console, status);
  if (!session) return status;
  PromImage chip;
  if (!session->Read(chip, res::kReading, console)) return kExitFailure;

  const ImageComparison result = CompareImages(chip, file);
  if (result.match) {
    console.out << res::kChipAndFileMatch << '\n';
    return kExitSuccess;
  }
  console.out << res::kChipAndFileDiffer << '\n' << std::flush;
  console.err << kDifferingBits << BitList(result.differingBits) << '\n';
  return kExitMismatch;
}

}  // namespace quarrow::cli
