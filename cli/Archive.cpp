// SPDX-License-Identifier: GPL-3.0-or-later
// archive: a bench loop for a box of cartridges. Each chip is read several times, refused when the
// reads differ or look broken, identified, and saved under its set's name in the layout MAME keeps
// that set in; DIR/archive.tsv gets one line per chip. An existing file is never replaced.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "ArchiveLog.h"
#include "Texts.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Folders.h"
#include "IdentificationText.h"
#include "Interruption.h"
#include "PrintableText.h"
#include "RomLoad.h"

namespace quarrow::cli {

namespace {

using Json = nlohmann::ordered_json;

// A dump no set has is named by its file's CRC32: two different unknown chips get different names,
// and the same chip read again finds its own file.
constexpr const char* kUnknownNamePrefix = "unknown-";

// Gives up on free names after this many: a folder holding that many different dumps of one set
// is a mistake worth stopping for.
constexpr int kMaxNameNumber = 999;

// A set name from the table becomes a file name, and the table may be anyone's file: only a name
// MAME could give a set (at most 16 lowercase letters, digits and underscores), so that nothing
// like "-rf" or "../x" is ever made, and none of Windows' device names.
bool UsableAsFileName(const std::string& set) {
  if (set.empty() || set.size() > 16) return false;
  for (char c : set) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return !IsWindowsDeviceName(set);
}


struct ChipOutcome {
  ArchiveLogEntry log;
  std::optional<ImageFacts> facts;  // once saved, in the saved file's layout
  std::vector<UnstableBit> unstable;
  bool sound = false;    // to be saved
  bool suspect = false;  // broken or a near miss: the wiring may be at fault
  bool archived = false;
  bool alreadyArchived = false;
  std::string saveError;  // "PATH: reason"
  std::string text;       // "Archived as PATH", or why the chip was not archived
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
  // Prompts and takes the next line; false at the end of input or on a signal.
  bool Prompt(std::istream& in, std::string& line);
  void Chip(std::size_t index, const std::string& note);
  // Decides, from the reads, whether the chip is sound enough to save, and why not.
  void Examine(const std::vector<PromImage>& reads, ChipOutcome& outcome);
  // Saves a sound read; fills in the log entry's file, hashes and result.
  void Save(ChipOutcome& outcome);
  void Log(const ChipOutcome& outcome);
  void Print(std::size_t index, const ChipOutcome& outcome);

  const DeviceOptions& device_;
  const ArchiveOptions& options_;
  const Presentation& presentation_;
  Console& console_;
  std::filesystem::path folder_;
  std::unique_ptr<ArchiveLog> log_;
  int chips_ = 0, archived_ = 0, alreadyArchived_ = 0, refused_ = 0;
  int suspectInRow_ = 0;
  bool logFailed_ = false;
  bool outputFailed_ = false;
};

bool Archive::OpenFolderAndLog() {
  std::string why;
  if (!MakeFolders(folder_, why)) {
    console_.err << res::kCantUseArchiveFolder << PrintableText(options_.folder) << ": " << why << '\n';
    return false;
  }
  const std::filesystem::path path = folder_ / kArchiveLogName;
  log_ = ArchiveLog::Open(path, why);
  if (!log_) {
    console_.err << res::kCantWriteArchiveLog << PrintablePath(path) << ": " << why << '\n';
    return false;
  }
  if (!log_->HasNoteColumn()) {
    console_.err << res::kNote << PrintablePath(path) << res::kArchiveLogWithoutNotes << '\n';
  }
  return true;
}

bool Archive::Prompt(std::istream& in, std::string& line) {
  // Ctrl-C at the prompt ends the archive as q does, with the summary, and the signal's status.
  PromptWait wait;
  if (suspectInRow_ >= res::kSuspectReadsBeforeWiringHint) {
    console_.err << suspectInRow_ << res::kCheckWiringHint << '\n';
  }
  console_.err << res::kInsertNextChip << '\n' << std::flush;
  if (!wait.ReadLine(in, line)) return false;
  line.erase(0, line.find_first_not_of(" \t\r"));
  line.erase(line.find_last_not_of(" \t\r") + 1);
  return true;
}

ExitStatus Archive::Run(std::istream& in) {
  if (!OpenFolderAndLog()) return kExitFailure;
  // A closed output ends the run: every chip read after it would be archived unseen.
  for (std::size_t index = 0; !outputFailed_;) {
    std::string line;
    if (!Prompt(in, line) || line == "q" || line == "Q") break;
    if (line == res::kSelfTestAtPrompt) {
      // On standard error, so that standard output keeps the chips' results alone.
      Console errorsOnly{console_.err, console_.err, console_.errIsTerminal, console_.quiet};
      SelfTestCommand(device_, false, std::string(), errorsOnly);
      suspectInRow_ = 0;  // the hint has been taken
    } else {
      Chip(index++, line);
    }
    // Ctrl-C: the read was stopped and the chip left out of the log; the lines before stay whole.
    if (InterruptedExitStatus() != kExitSuccess) break;
  }
  const std::string summary = res::kSummaryChipsRead + std::to_string(chips_) + res::kSummaryArchived +
                              std::to_string(archived_) + res::kSummaryAlreadyArchived +
                              std::to_string(alreadyArchived_) + res::kSummaryRefused +
                              std::to_string(refused_);
  if (outputFailed_) console_.err << res::kCantWriteOutput << '\n';
  // Standard output carries only the chips' objects with --json.
  (presentation_.json || outputFailed_ ? console_.err : console_.out) << summary << '\n'
                                                                     << std::flush;
  if (InterruptedExitStatus() != kExitSuccess) return InterruptedExitStatus();
  return refused_ > 0 || logFailed_ || outputFailed_ ? kExitFailure : kExitSuccess;
}

void Archive::Chip(std::size_t index, const std::string& note) {
  DeviceOptions device = device_;
  device.simulatedChip = index;
  const std::string label = res::kChipLabel + std::to_string(index + 1) + ": " + res::kReading;

  ExitStatus status = kExitFailure;
  std::unique_ptr<ChipSession> session = ChipSession::Connect(device, console_, status);
  std::vector<PromImage> reads;
  const bool read = session && session->ReadRepeatedly(options_.reads, reads, label, console_);
  ChipOutcome outcome;
  outcome.log.serial = session ? session->Serial() : device.serial.value_or("");
  outcome.log.note = note;
  session.reset();
  if (InterruptedExitStatus() != kExitSuccess) return;

  ++chips_;
  outcome.log.time = UtcTimestamp();
  outcome.log.set = res::kArchiveUnknownSet;
  outcome.log.result = outcome.text = res::kResultReadFailed;
  if (read) Examine(reads, outcome);
  {
    // A signal from here on waits for the line, so that no file is left without one.
    const SignalsDeferred deferred;
    if (outcome.sound) Save(outcome);
    Log(outcome);
  }
  if (outcome.archived) {
    ++archived_;
  } else if (outcome.alreadyArchived) {
    ++alreadyArchived_;
  } else {
    ++refused_;
  }
  suspectInRow_ = outcome.suspect ? suspectInRow_ + 1 : 0;
  // Only now is anything said about the chip: output that cannot be written ends the run with the
  // chip's line in the log.
  Print(index, outcome);
}

void Archive::Examine(const std::vector<PromImage>& reads, ChipOutcome& outcome) {
  const PromImage& image = reads.front();
  outcome.facts =
      ExamineImage(image, ImageFileLayout::Mame, presentation_.knownDumps, console_, &reads);
  if (!outcome.facts) return;
  const Identification& identification = outcome.facts->identification;
  if (identification.result == IdentificationResult::KnownDump) {
    outcome.log.set = identification.sets.front().set;
  }
  outcome.unstable = UnstableBits(reads);
  if (!outcome.unstable.empty()) {
    outcome.log.result = res::kResultUnstable + std::to_string(outcome.unstable.size()) +
                         (outcome.unstable.size() == 1 ? res::kResultBit : res::kResultBits);
  } else if (outcome.facts->LooksBroken()) {
    for (Diagnosis diagnosis : outcome.facts->diagnoses) {
      if (MeansBrokenRead(diagnosis)) {
        outcome.log.result = res::kResultBroken + DiagnosisShort(diagnosis);
        break;
      }
    }
    outcome.suspect = true;
  } else if (identification.result == IdentificationResult::NearMiss) {
    // Saved as an unknown dump, it would pass for a new find; it is the set's dump read wrong.
    outcome.log.set = identification.sets.front().set;
    outcome.log.result = res::kResultNearMiss + std::string(NearMissName(identification.nearMiss));
    outcome.text = res::kNearMissOf + PrintableText(outcome.log.set) + ": " +
                   NearMissRereadAdvice(identification.nearMiss);
    outcome.suspect = true;
    return;
  } else {
    outcome.sound = true;
    return;
  }
  outcome.text = outcome.log.result;
}

void Archive::Save(ChipOutcome& outcome) {
  ImageFacts& facts = *outcome.facts;
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
    outcome.saveError = failure;
    outcome.log.result = outcome.text = res::kResultSaveFailed;
    return;
  }
  outcome.log.result = outcome.archived ? res::kResultArchived : res::kResultAlreadyArchived;
  outcome.text = (outcome.archived ? res::kArchivedAs : res::kAlreadyArchivedAs) +
                 PrintablePath(folder_ / outcome.log.file);
}

void Archive::Log(const ChipOutcome& outcome) {
  // The file first, then the line: every file a line names exists.
  std::string why;
  if (!log_->Append(outcome.log, why)) {
    console_.err << res::kCantWriteArchiveLog << PrintablePath(folder_ / kArchiveLogName) << ": " << why
                 << '\n';
    logFailed_ = true;
  }
}

void Archive::Print(std::size_t index, const ChipOutcome& outcome) {
  if (!outcome.saveError.empty()) console_.err << res::kCantSaveFile << outcome.saveError << '\n';
  if (presentation_.json) {
    Json report{{"command", "archive"}, {"chip", index + 1}, {"programmer", outcome.log.serial},
                {"note", outcome.log.note}};
    if (outcome.facts) AddImageJson(report, *outcome.facts);
    if (!outcome.unstable.empty()) AddUnstableJson(report, outcome.unstable);
    if (!outcome.log.file.empty()) {
      report["file"] = outcome.log.file;
      report["file_layout"] = outcome.facts->layout == ImageFileLayout::Nss ? "raw" : "mame";
    }
    report["result"] = outcome.log.result;
    // One object a line: JSON Lines, so a script can take each chip as it comes.
    console_.out << report.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    if (!outcome.unstable.empty()) {
      PrintUnstableRead(*outcome.facts, outcome.unstable, console_);
    } else if (outcome.facts) {
      PrintFacts(*outcome.facts, console_);
    }
    console_.out << (outcome.archived || outcome.alreadyArchived ? "" : res::kNotArchived)
                 << outcome.text << '\n';
  }
  if (!console_.out.flush()) outputFailed_ = true;
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
of input ends the archive); the line typed goes into the log as the chip's note, and selftest
typed there checks the wiring. A chip is saved as SET.prm (PlayChoice-10), SET.nss (Nintendo Super
System, raw layout) or unknown-CRC32.prm; an existing file is never replaced. A read that looks
broken, whose reads differ or that is a near miss of a known dump is not archived.

Exit status:
  0    every chip read was archived or already archived
  2    the command line could not be understood
  3    a chip was refused or could not be read, a file, the log or the output could not be
       written, or the table of known dumps cannot be read
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
