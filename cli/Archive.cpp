// SPDX-License-Identifier: GPL-3.0-or-later
// archive: a bench loop for a box of cartridges. Each chip is read several times, refused when the
// reads differ or look broken, identified, and saved under its set's name in the layout MAME keeps
// that set in; DIR/archive.tsv gets one line per chip. An existing file is never replaced.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "ArchiveLog.h"
#include "CliTexts.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Folders.h"
#include "IdentificationText.h"
#include "Interruption.h"
#include "PrintableText.h"
#include "RomLoad.h"
#include "Strings.h"

namespace quarrow::cli {

namespace {

using Json = nlohmann::ordered_json;

// A dump no set has is named by its file's CRC32: two different unknown chips get different names,
// and the same chip read again finds its own file.
constexpr const char* kUnknownNamePrefix = "unknown-";

// Gives up on free names after this many: a folder holding that many different dumps of one set
// is a mistake worth stopping for.
constexpr int kMaxNameNumber = 999;

// A set name from the table becomes a file name, and the table may be anyone's file: only the
// characters MAME's set names use, and none of Windows' device names.
bool UsableAsFileName(const std::string& set) {
  if (set.empty() || set.size() > 64) return false;
  for (char c : set) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  }
  return !IsWindowsDeviceName(set);
}

struct ChipOutcome {
  ArchiveLogEntry log;
  bool archived = false;
  bool alreadyArchived = false;
  bool saveFailed = false;
};

class Archive {
 public:
  Archive(const DeviceOptions& device, const ArchiveOptions& options,
          const Presentation& presentation, Console& console)
      : device_(device), options_(options), presentation_(presentation), console_(console),
        folder_(PathFromUtf8(options.folder)) {}

  ExitStatus Run(std::istream& in);

 private:
  bool OpenFolderAndLog();
  void Chip(std::size_t index);
  // Saves a sound read; fills in the log entry's file, hashes and result.
  void Save(const ImageFacts& facts, ChipOutcome& outcome, Json& report);
  void Report(const ChipOutcome& outcome, Json& report, const std::string& text);

  const DeviceOptions& device_;
  const ArchiveOptions& options_;
  const Presentation& presentation_;
  Console& console_;
  std::filesystem::path folder_;
  std::unique_ptr<ArchiveLog> log_;
  int chips_ = 0, archived_ = 0, alreadyArchived_ = 0, refused_ = 0;
  bool lastReadFailed_ = false;
  bool logFailed_ = false;
  bool saveFailed_ = false;
};

bool Archive::OpenFolderAndLog() {
  std::string why;
  if (!MakeFolders(folder_, why)) {
    console_.err << kCantUseArchiveFolder << PrintableText(options_.folder) << ": " << why << '\n';
    return false;
  }
  log_ = ArchiveLog::Open(folder_ / kArchiveLogName, why);
  if (!log_) {
    console_.err << kCantWriteArchiveLog << PrintablePath(folder_ / kArchiveLogName) << ": " << why
                 << '\n';
    return false;
  }
  return true;
}

ExitStatus Archive::Run(std::istream& in) {
  if (!OpenFolderAndLog()) return kExitFailure;
  for (std::size_t index = 0;; ++index) {
    std::string line;
    {
      // Ctrl-C at the prompt ends the archive as q does, with the summary, and the signal's status.
      PromptWait wait;
      console_.err << kInsertNextChip << '\n' << std::flush;
      if (!wait.ReadLine(in, line)) break;
    }
    line.erase(0, line.find_first_not_of(" \t\r"));
    line.erase(line.find_last_not_of(" \t\r") + 1);
    if (line == "q" || line == "Q") break;
    Chip(index);
    // Ctrl-C: the read was stopped and the chip left out of the log; the lines before stay whole.
    if (InterruptedExitStatus() != kExitSuccess) break;
  }
  const std::string summary = kSummaryChipsRead + std::to_string(chips_) + kSummaryArchived +
                              std::to_string(archived_) + kSummaryAlreadyArchived +
                              std::to_string(alreadyArchived_) + kSummaryRefused +
                              std::to_string(refused_);
  // Standard output carries only the chips' objects with --json.
  (presentation_.json ? console_.err : console_.out) << summary << '\n' << std::flush;
  if (InterruptedExitStatus() != kExitSuccess) return InterruptedExitStatus();
  return lastReadFailed_ || logFailed_ || saveFailed_ ? kExitFailure : kExitSuccess;
}

void Archive::Chip(std::size_t index) {
  DeviceOptions device = device_;
  device.simulatedChip = index;
  const std::string label = kChipLabel + std::to_string(index + 1) + ": " + res::kReading;

  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console_, status);
  std::vector<PromImage> reads;
  const bool read = session && session->ReadRepeatedly(options_.reads, reads, label, console_);
  ChipOutcome outcome;
  outcome.log.serial = session ? session->Serial() : device.serial.value_or("");
  session.reset();
  if (InterruptedExitStatus() != kExitSuccess) return;

  ++chips_;
  outcome.log.time = UtcTimestamp();
  outcome.log.set = kArchiveUnknownSet;
  Json report{{"command", "archive"}, {"chip", index + 1}, {"programmer", outcome.log.serial}};
  lastReadFailed_ = !read;
  if (!read) {
    outcome.log.result = kResultReadFailed;
    Report(outcome, report, kResultReadFailed);
    return;
  }

  const std::vector<UnstableBit> unstable = UnstableBits(reads);
  const PromImage& image = reads.front();
  std::optional<ImageFacts> facts =
      ExamineImage(image, ImageFileLayout::Mame, presentation_.knownDumps, console_, &reads);
  if (!facts) {
    outcome.log.result = kResultReadFailed;
    Report(outcome, report, kResultReadFailed);
    return;
  }
  if (facts->identification.result == IdentificationResult::KnownDump) {
    outcome.log.set = facts->identification.sets.front().set;
  }
  if (!unstable.empty()) {
    outcome.log.result = kResultUnstable + std::to_string(unstable.size()) +
                         (unstable.size() == 1 ? kResultBit : kResultBits);
    AddImageJson(report, *facts);
    AddUnstableJson(report, unstable);
    if (!presentation_.json) PrintUnstableRead(*facts, unstable, console_);
    Report(outcome, report, outcome.log.result);
    return;
  }
  if (facts->LooksBroken()) {
    for (Diagnosis diagnosis : facts->diagnoses) {
      if (MeansBrokenRead(diagnosis)) {
        outcome.log.result = kResultBroken + DiagnosisShort(diagnosis);
        break;
      }
    }
    AddImageJson(report, *facts);
    if (!presentation_.json) PrintFacts(*facts, console_);
    Report(outcome, report, outcome.log.result);
    return;
  }
  Save(*facts, outcome, report);
}

void Archive::Save(const ImageFacts& soundRead, ChipOutcome& outcome, Json& report) {
  ImageFacts facts = soundRead;
  // MAME's own layout for the set, so the file's CRC and SHA-1 are the ones its ROM list holds.
  facts.layout = ImageFileLayout::Mame;
  std::string base;
  if (facts.identification.result == IdentificationResult::KnownDump) {
    const KnownDump& set = facts.identification.sets.front();
    facts.layout = set.layout;
    if (UsableAsFileName(set.set)) base = set.set;
  }
  if (base.empty()) {
    base = kUnknownNamePrefix + HashesInLayout(facts.identification, facts.layout).crc32;
  }
  const char* extension = facts.layout == ImageFileLayout::Nss ? ".nss" : ".prm";
  const ImageFileBytes bytes = EncodeImageFile(facts.image, facts.layout);
  const ImageHashes& hashes = HashesInLayout(facts.identification, facts.layout);
  outcome.log.crc32 = hashes.crc32;
  outcome.log.sha1 = hashes.sha1;

  std::string failure;
  for (int number = 1; number <= kMaxNameNumber && !outcome.archived && !outcome.alreadyArchived;
       ++number) {
    const std::string name =
        base + (number == 1 ? std::string() : "-" + std::to_string(number)) + extension;
    const std::filesystem::path path = folder_ / name;
    bool exists = false;
    const FileStatus created = CreateImageFile(path, facts.image, facts.layout, exists);
    if (created) {
      outcome.archived = true;
      outcome.log.file = name;
    } else if (exists) {
      // The same dump under this name is this chip archived before; anything else there (another
      // dump of the set, a folder, a file that cannot be read) keeps its name and this one moves on.
      std::vector<std::uint8_t> there;
      std::error_code sizeError;
      if (ReadImageFileBytes(path, there) &&
          std::filesystem::file_size(path, sizeError) == kImageFileSize && !sizeError &&
          std::equal(there.begin(), there.end(), bytes.begin(), bytes.end())) {
        outcome.alreadyArchived = true;
        outcome.log.file = name;
      }
    } else {
      failure = PrintablePath(path) + ": " + created.reason;
      break;
    }
  }
  if (!outcome.archived && !outcome.alreadyArchived) {
    if (failure.empty()) failure = "every name up to " + base + "-" + std::to_string(kMaxNameNumber) +
                                   extension + " is taken";
    console_.err << res::kCantSaveFile << failure << '\n';
    outcome.saveFailed = true;
    outcome.log.result = kResultSaveFailed;
  } else {
    outcome.log.result = outcome.archived ? kResultArchived : kResultAlreadyArchived;
  }
  AddImageJson(report, facts);
  if (!outcome.log.file.empty()) {
    report["file"] = outcome.log.file;
    report["file_layout"] = facts.layout == ImageFileLayout::Nss ? "raw" : "mame";
  }
  if (!presentation_.json) PrintFacts(facts, console_);
  const std::string where = PrintablePath(folder_ / outcome.log.file);
  Report(outcome, report,
         outcome.archived ? kArchivedAs + where
                          : outcome.alreadyArchived ? kAlreadyArchivedAs + where
                                                  : std::string(kResultSaveFailed));
}

void Archive::Report(const ChipOutcome& outcome, Json& report, const std::string& text) {
  // The file first, then the line: every file a line names exists.
  std::string why;
  if (!log_->Append(outcome.log, why)) {
    console_.err << kCantWriteArchiveLog << PrintablePath(folder_ / kArchiveLogName) << ": " << why
                 << '\n';
    logFailed_ = true;
  }
  if (outcome.archived) {
    ++archived_;
  } else if (outcome.alreadyArchived) {
    ++alreadyArchived_;
  } else {
    ++refused_;
  }
  if (outcome.saveFailed) saveFailed_ = true;
  if (presentation_.json) {
    report["result"] = outcome.log.result;
    // One object a line: JSON Lines, so a script can take each chip as it comes.
    console_.out << report.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n'
                 << std::flush;
  } else if (outcome.archived || outcome.alreadyArchived) {
    console_.out << text << '\n' << std::flush;
  } else {
    console_.out << kNotArchived << text << '\n' << std::flush;
  }
}

}  // namespace

ExitStatus ArchiveCommand(const DeviceOptions& device, const ArchiveOptions& options,
                          const Presentation& presentation, std::istream& in, Console& console) {
  Archive archive(device, options, presentation, console);
  return archive.Run(in);
}

Command DeclareArchive(CLI::App& program, CommonOptions& common) {
  CLI::App* archive = program.add_subcommand(
      "archive",
      "Read one chip after another into a folder of dumps named by their sets, with a log");
  archive->footer(R"(Examples:
  quarrow-cli archive dumps/               one chip after another into dumps/, logged in
                                           dumps/archive.tsv
  quarrow-cli archive dumps/ --reads 3 --json

Each chip is prompted for on standard error and taken on a line of standard input (q or the end
of input ends the archive). A chip is saved as SET.prm (PlayChoice-10), SET.nss (Nintendo Super
System, raw layout) or unknown-CRC32.prm; an existing file is never replaced.

Exit status:
  0    the chips were archived
  2    the command line could not be understood
  3    the last chip could not be read, a file or the log could not be written, or the table of
       known dumps cannot be read
  130  Ctrl-C stopped a read, or ended the prompt: the log is kept)");
  struct Options {
    ArchiveOptions archive;
    bool strict = false;  // always on; accepted for scripts that pass it to every command
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  archive->add_option("DIR", options->archive.folder, "Folder to archive into (made if missing)")
      ->required()
      ->check(kFileName);
  AddReadsOption(*archive, options->archive.reads,
                 "Read each chip N times (2 to 99, default 2); a chip whose reads differ is not "
                 "archived");
  archive->add_flag("--strict", options->strict,
                    "Refuse reads that look broken; always on for archive, accepted for scripts "
                    "that pass it to every command");
  AddDeviceOption(*archive, common);
  AddJsonFlag(*archive, options->json, "Print one JSON object per chip, one a line (JSON Lines)");
  return {archive, true, nullptr, [options](const CommandContext& context) {
            return ArchiveCommand(context.device, options->archive,
                                  {context.knownDumps, options->json, false}, std::cin,
                                  context.console);
          }};
}

}  // namespace quarrow::cli
