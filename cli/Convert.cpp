// SPDX-License-Identifier: GPL-3.0-or-later
// convert: an image file from one layout into another, with the repairs identification points at,
// refusing a conversion that identification says would corrupt a known dump.
#include <filesystem>
#include <memory>
#include <string>

#include "Texts.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ConvertAdvice.h"
#include "IdentificationText.h"
#include "PrintableText.h"

namespace quarrow::cli {

namespace {

const char* LayoutWord(ImageFileLayout layout) {
  return layout == ImageFileLayout::Nss ? "nss" : "mame";
}

// One word of a command line the person may paste into a shell: quoted unless it is plainly safe.
std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                             "abcdefghijklmnopqrstuvwxyz"
                                                             "0123456789_-+.,/:@%=") ==
                                          std::string::npos;
  if (plain) return word;
#ifdef _WIN32
  // cmd.exe and PowerShell both take a double-quoted word; Windows names cannot hold '"'.
  return "\"" + word + "\"";
#else
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

// Replacing a file of another size with 16 bytes would lose what it holds: only a new file may be
// made from it. Reports a refusal.
bool RefuseInPlaceOfAnotherSize(const ConvertOptions& options, Console& console) {
  std::error_code error;
  const std::filesystem::path in = PathFromUtf8(options.in);
  if (!std::filesystem::equivalent(in, PathFromUtf8(options.out), error) || error) return false;
  const std::uintmax_t size = std::filesystem::file_size(in, error);
  if (error || size == kImageFileSize) return false;
  console.err << res::kNotConverted << PrintableText(options.in) << res::kNotConvertedHolds << size
              << res::kNotConvertedInPlace << '\n';
  return true;
}

// The layout mistake and the loss of a known dump's file, each refused unless --force; false when
// hashing failed.
bool RefuseCorruption(const ConvertOptions& options, std::span<const std::uint8_t> bytes,
                      const KnownDumpTable& knownDumps, Console& console, bool& refused) {
  refused = false;
  std::optional<LayoutMistake> mistake;
  std::optional<DumpLoss> loss;
  std::string error;
  if (!FindLayoutMistake(bytes, options.from, options.repairs, knownDumps, mistake, error) ||
      (!mistake && !FindDumpLoss(bytes, {options.from, options.to, options.repairs}, knownDumps,
                                 loss, error))) {
    console.err << res::kCantIdentify << PrintableText(error) << '\n';
    return false;
  }
  if (mistake) {
    // Converting a file that is in the target layout already inverts and mirrors a good dump.
    console.err << res::kNotConverted << PrintableText(options.in) << res::kNotConvertedReadIn
                << LayoutTitle(options.from) << res::kNotConvertedNoDump
                << LayoutTitle(mistake->actualLayout) << res::kNotConvertedItIs
                << PrintableText(SetDescription(mistake->identification.sets.front()))
                << res::kNotConvertedProbably << LayoutTitle(mistake->actualLayout)
                << res::kNotConvertedAlready << LayoutWord(mistake->actualLayout) << res::kNotConvertedForce
                << '\n';
    refused = true;
  } else if (loss) {
    std::string sets;
    for (const KnownDump& set : loss->sets) sets += (sets.empty() ? "" : ", ") + set.set;
    console.err << res::kNotConverted << PrintableText(options.in) << res::kNotConvertedIsDump
                << PrintableText(sets) << res::kNotConvertedInLayout << LayoutTitle(loss->layout)
                << res::kNotConvertedNoDumpWritten << '\n';
    refused = true;
  }
  return true;
}

}  // namespace

std::string OpenCommandLine(const char* command, const std::string& path, ImageFileLayout layout,
                            bool romLoad) {
  return std::string(res::kProgramName) + " " + command + " " + ShellWord(path) +
         (layout == ImageFileLayout::Nss ? " --nss" : " --mame") + (romLoad ? " --rom-load" : "");
}

std::optional<std::string> RepairCommandLine(const std::string& path, ImageFileLayout layout,
                                             const Identification& identification) {
  if (identification.result != IdentificationResult::NearMiss) return std::nullopt;
  const std::optional<ConvertRepair> repair = RepairForNearMiss(identification.nearMiss, layout);
  if (!repair) return std::nullopt;
  std::string line = std::string(res::kProgramName) + " convert " + ShellWord(path) + " " +
                     ShellWord(path) + " --from " + LayoutWord(repair->from) + " --to " +
                     LayoutWord(repair->to);
  if (repair->repairs.invert) line += " --invert";
  if (repair->repairs.mirror) line += " --mirror";
  if (repair->repairs.swapHalves) line += " --swap-halves";
  return line;
}

ExitStatus ConvertCommand(const ConvertOptions& options, const KnownDumpTable& knownDumps,
                          Console& console) {
  if (RefuseInPlaceOfAnotherSize(options, console)) return kExitUsage;
  std::vector<std::uint8_t> bytes;
  if (!ReadImageBytesReporting(options.in, bytes, console)) return kExitFailure;
  if (!options.force) {
    bool refused = false;
    if (!RefuseCorruption(options, bytes, knownDumps, console, refused)) return kExitFailure;
    if (refused) return kExitUsage;
  }
  const PromImage image = RepairedImage(DecodeImageFile(bytes, options.from), options.repairs);
  if (!SaveImageReporting(options.out, image, options.to, console)) return kExitFailure;
  return kExitSuccess;
}

Command DeclareConvert(CLI::App& program) {
  CLI::App* convert = program.add_subcommand(
      "convert", "Convert an image file into the layout named, repairing it on the way if asked");
  convert->footer(R"(Examples:
  quarrow-cli convert dump.bin dump.prm --to mame
  quarrow-cli convert dump.prm dump.prm --from mame --to mame --invert    repair in place

IN and OUT may be the same file: it is replaced whole or not at all.

Exit status:
  0    OUT was written
  2    the command line could not be understood; IN seems to be in the target layout already, or
       is a known dump the conversion would turn into none (--force converts it anyway); or IN
       is replaced in place but is not 16 bytes
  3    IN cannot be read, OUT cannot be written, or the table of known dumps cannot be read)");
  struct Options {
    ConvertOptions convert;
    std::string from, to;
  };
  auto options = std::make_shared<Options>();
  convert->add_option("IN", options->convert.in, "Image file to read (may be the same as OUT)")
      ->required()
      ->check(kFileName);
  convert->add_option("OUT", options->convert.out, "Image file to write")
      ->required()
      ->check(kFileName);
  convert->add_option("--to", options->to, "Layout to write: mame or nss")
      ->required()
      ->check(CLI::IsMember({"mame", "nss"}));
  convert
      ->add_option("--from", options->from,
                   "Layout of IN: mame or nss (default: the layout not named by --to)")
      ->check(CLI::IsMember({"mame", "nss"}));
  convert->add_flag("--invert", options->convert.repairs.invert, "Invert every bit");
  convert->add_flag("--mirror", options->convert.repairs.mirror,
                    "Reverse the order of the bits within each byte");
  convert->add_flag("--swap-halves", options->convert.repairs.swapHalves,
                    "Swap bits 0-63 and bits 64-127");
  convert->add_flag("--force", options->convert.force,
                    "Convert even when IN seems to be in the target layout already, or is a known "
                    "dump's file that the conversion would turn into none");
  return {convert, true, nullptr, [options](const CommandContext& context) {
            ConvertOptions& convert = options->convert;
            convert.to = Layout(options->to == "nss");
            // By default the other layout, as convert has always read it.
            convert.from = options->from.empty() ? Layout(convert.to == ImageFileLayout::Mame)
                                                 : Layout(options->from == "nss");
            return ConvertCommand(convert, context.knownDumps, context.console);
          }};
}

}  // namespace quarrow::cli
