// SPDX-License-Identifier: GPL-3.0-or-later
// Presenting identifications and diagnoses, as text lines or as one JSON object.
#include "Report.h"

#include <cstdio>
#include <cstdlib>

#include "IdentificationText.h"
#include "KnownDumpsText.h"
#include "Texts.h"
#include "PrintableText.h"
#include "RomLoad.h"

namespace quarrow::cli {

namespace {

using Json = nlohmann::ordered_json;

std::string Hex(const ImageFileBytes& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", b);
    text += pair;
  }
  return text;
}

const char* LayoutName(ImageFileLayout layout) {
  return layout == ImageFileLayout::Nss ? "raw" : "mame";
}

const char* ResultName(IdentificationResult result) {
  switch (result) {
    case IdentificationResult::KnownDump: return "known-dump";
    case IdentificationResult::NearMiss: return "near-miss";
    case IdentificationResult::Unknown: break;
  }
  return "unknown";
}

const char* DiagnosisName(Diagnosis diagnosis) {
  switch (diagnosis) {
    case Diagnosis::ReadsDiffer: return "reads-differ";
    case Diagnosis::AllOnes: return "all-ones";
    case Diagnosis::AllZeros: return "all-zeros";
    case Diagnosis::BlankChip: return "blank-chip";
    case Diagnosis::TestPinLow: return "test-pin-low";
  }
  return "";
}

// The diagnosis as the person reads it; reads that differ say how many of how many.
std::string DiagnosisText(const ImageFacts& facts, Diagnosis diagnosis) {
  if (diagnosis == Diagnosis::ReadsDiffer && facts.reads > 1) {
    return ReadsDifferSentence(facts.differingReads, facts.reads);
  }
  return DiagnosisSentence(diagnosis);
}

// MAME's ROM_LOAD lines for the dump, one a line.
std::string RomLoadText(const Identification& identification) {
  std::string text;
  for (const RomLoad& load : RomLoadsFor(identification)) {
    text += (text.empty() ? "" : "\n") + RomLoadLine(load);
  }
  return text;
}

Json LayoutJson(const PromImage& image, ImageFileLayout layout, const ImageHashes& hashes) {
  return Json{
      {"hex", Hex(EncodeImageFile(image, layout))}, {"crc32", hashes.crc32}, {"sha1", hashes.sha1}};
}

}  // namespace

const char* NearMissName(NearMiss kind) {
  switch (kind) {
    case NearMiss::Inverted: return "inverted";
    case NearMiss::Mirrored: return "mirrored";
    case NearMiss::InvertedMirrored: return "inverted-mirrored";
    case NearMiss::HalvesSwapped: return "halves-swapped";
    case NearMiss::None: break;
  }
  return "none";
}

std::string BitList(const std::vector<int>& bits) {
  std::string text;
  for (int bit : bits) {
    if (!text.empty()) text += ", ";
    text += std::to_string(bit);
  }
  return text;
}

std::optional<KnownDumpTable> LoadKnownDumpsReporting(const std::string& optionPath,
                                                      Console& console) {
  const std::filesystem::path path =
      optionPath.empty() ? KnownDumpsPathFromEnvironment() : PathFromUtf8(optionPath);
  TableProblem problem;
  std::optional<KnownDumpTable> table =
      path.empty() ? BuiltInKnownDumps(problem) : LoadKnownDumps(path, problem);
  // The sentence quotes the table's path and its bad field, both outside text.
  if (!table) console.err << res::kCantReadKnownDumps << PrintableText(TableProblemText(problem)) << '\n';
  return table;
}

bool ImageFacts::LooksBroken() const {
  for (Diagnosis diagnosis : diagnoses) {
    if (MeansBrokenRead(diagnosis)) return true;
  }
  return false;
}

std::optional<ImageFacts> ExamineImage(const PromImage& image, ImageFileLayout layout,
                                       const KnownDumpTable& knownDumps, Console& console,
                                       const std::vector<PromImage>* reads) {
  std::string error;
  std::optional<Identification> identification = IdentifyImage(image, knownDumps, error);
  if (!identification) {
    console.err << res::kCantIdentify << PrintableText(error) << '\n';
    return std::nullopt;
  }
  const PromImage* differing = nullptr;
  if (reads != nullptr) {
    for (const PromImage& read : *reads) {
      if (read != image) differing = &read;
    }
  }
  ImageFacts facts{image, layout, std::move(*identification), DiagnoseRead(image, differing)};
  if (reads != nullptr && !reads->empty()) {
    facts.reads = static_cast<int>(reads->size());
    facts.differingReads = ReadsDifferingFromFirst(*reads);
  }
  return facts;
}

std::optional<ImageFacts> ExamineFile(std::span<const std::uint8_t> bytes, ImageFileLayout layout,
                                      const KnownDumpTable& knownDumps, Console& console) {
  std::string error;
  std::optional<Identification> identification = IdentifyFile(bytes, layout, knownDumps, error);
  if (!identification) {
    console.err << res::kCantIdentify << PrintableText(error) << '\n';
    return std::nullopt;
  }
  const PromImage image = DecodeImageFile(bytes, layout);
  return ImageFacts{image, layout, std::move(*identification), DiagnoseRead(image)};
}

void PrintFacts(const ImageFacts& facts, Console& console, bool identificationOnly, bool romLoad) {
  if (!identificationOnly) {
    console.out << FormatImageText(facts.image) << '\n'
                << HashLine(HashesInLayout(facts.identification, facts.layout)) << '\n';
  }
  // Set names, titles, makers, years and ROM names come from a table that may be anyone's.
  if (romLoad) {
    for (const RomLoad& load : RomLoadsFor(facts.identification)) {
      console.out << PrintableText(RomLoadLine(load)) << '\n';
    }
  }
  console.out << PrintableText(IdentificationSentence(facts.identification, facts.diagnoses))
              << '\n' << std::flush;
  if (romLoad && facts.identification.result == IdentificationResult::NearMiss) {
    console.err << res::kNoRomLoadForNearMiss << '\n';
  }
  PrintDiagnoses(facts, console);
}

void PrintUnstableRead(const ImageFacts& facts, const std::vector<UnstableBit>& unstable,
                       Console& console) {
  for (Diagnosis diagnosis : facts.diagnoses) {
    console.err << DiagnosisText(facts, diagnosis);
    if (diagnosis == Diagnosis::ReadsDiffer) {
      console.err << res::kUnstableBits;
      for (std::size_t i = 0; i < unstable.size(); ++i) {
        console.err << (i == 0 ? "" : ", ") << unstable[i].bit << " (read as 1 by "
                    << unstable[i].ones << " of " << unstable[i].reads << " reads)";
      }
    }
    console.err << '\n';
  }
}

void AddUnstableJson(Json& report, const std::vector<UnstableBit>& unstable) {
  Json bits = Json::array();
  Json details = Json::array();
  for (const UnstableBit& bit : unstable) {
    bits.push_back(bit.bit);
    details.push_back(Json{{"bit", bit.bit}, {"ones", bit.ones}, {"reads", bit.reads}});
  }
  report["differing_bits"] = std::move(bits);
  report["unstable_bits"] = std::move(details);
}

void ReportBrokenRead(Console& console) { console.err << res::kReadLooksBroken << '\n'; }

void PrintDiagnoses(const ImageFacts& facts, Console& console) {
  for (Diagnosis diagnosis : facts.diagnoses) console.err << DiagnosisText(facts, diagnosis) << '\n';
}

Json ReportJson(const char* command, const std::string* file, ImageFileLayout layout) {
  Json report{{"command", command}};
  if (file != nullptr) {
    report["file"] = *file;
    report["file_layout"] = LayoutName(layout);
  }
  return report;
}

void AddImageJson(Json& report, const ImageFacts& facts, bool romLoad) {
  const Identification& identification = facts.identification;
  report["image"] = FormatImageText(facts.image);
  report["mame"] = LayoutJson(facts.image, ImageFileLayout::Mame, identification.mame);
  report["raw"] = LayoutJson(facts.image, ImageFileLayout::Nss, identification.raw);

  Json sets = Json::array();
  for (const KnownDump& set : identification.sets) {
    sets.push_back(Json{{"set", set.set},
                        {"title", set.title},
                        {"year", set.year},
                        {"manufacturer", set.manufacturer},
                        {"parent", set.parent},
                        {"driver", set.driver},
                        {"rom_name", set.romName},
                        {"layout", LayoutName(set.layout)},
                        {"crc32", set.hashes.crc32},
                        {"sha1", set.hashes.sha1}});
  }
  Json id{{"result", ResultName(identification.result)}};
  if (identification.result == IdentificationResult::NearMiss) {
    id["near_miss"] = NearMissName(identification.nearMiss);
  }
  id["sets"] = std::move(sets);
  id["table_dumps"] = identification.tableDumps;
  if (identification.openAs) id["open_as"] = LayoutName(*identification.openAs);
  id["text"] = IdentificationSentence(identification, facts.diagnoses);
  report["identification"] = std::move(id);

  Json diagnoses = Json::array();
  for (Diagnosis diagnosis : facts.diagnoses) {
    diagnoses.push_back(
        Json{{"kind", DiagnosisName(diagnosis)}, {"text", DiagnosisText(facts, diagnosis)}});
  }
  report["diagnosis"] = std::move(diagnoses);
  // A near miss is not its set's dump: no line that looks like that set's entry.
  if (romLoad && identification.result != IdentificationResult::NearMiss) {
    report["rom_load"] = RomLoadText(identification);
  }
}

void PrintJson(const Json& report, Console& console) {
  // File names need not be UTF-8; JSON text must be, so such bytes become U+FFFD rather than an
  // exception.
  console.out << report.dump(2, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
}

}  // namespace quarrow::cli
