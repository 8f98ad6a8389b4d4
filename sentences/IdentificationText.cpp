// SPDX-License-Identifier: GPL-3.0-or-later
// Sentences from the texts in res/Texts.h.
#include "IdentificationText.h"

#include "Texts.h"

namespace quarrow {

namespace {

std::string SetList(const std::vector<KnownDump>& sets) {
  std::string text;
  for (const KnownDump& set : sets) {
    if (!text.empty()) text += "; ";
    text += SetDescription(set);
  }
  return text;
}

// A near miss's cause, said after the set it matches, and what to do about a chip that reads so.
struct NearMissWords {
  const char* cause;
  const char* reread;
};

NearMissWords WordsFor(NearMiss kind) {
  switch (kind) {
    case NearMiss::Inverted: return {res::kNearMissInverted, res::kAdviceInverted};
    case NearMiss::Mirrored: return {res::kNearMissMirrored, res::kAdviceMirrored};
    case NearMiss::InvertedMirrored:
      return {res::kNearMissInvertedMirrored, res::kAdviceInvertedMirrored};
    case NearMiss::HalvesSwapped: return {res::kNearMissHalvesSwapped, res::kAdviceHalvesSwapped};
    case NearMiss::None: break;
  }
  return {"", ""};
}

const char* NearMissCause(NearMiss kind) { return WordsFor(kind).cause; }

}  // namespace

const char* NearMissRereadAdvice(NearMiss kind) { return WordsFor(kind).reread; }

std::string SetDescription(const KnownDump& set) {
  std::string text = set.set + ", " + set.title;
  const std::string maker =
      set.manufacturer + (set.manufacturer.empty() || set.year.empty() ? "" : " ") + set.year;
  if (!maker.empty()) text += ", " + maker;
  return text;
}

const char* LayoutTitle(ImageFileLayout layout) {
  return layout == ImageFileLayout::Nss ? res::kLayoutRaw : res::kLayoutMame;
}

std::string IdentificationSentence(const Identification& identification,
                                   const std::vector<Diagnosis>& diagnoses) {
  switch (identification.result) {
    case IdentificationResult::KnownDump: {
      std::string text = res::kKnownDump + SetList(identification.sets);
      if (identification.openAs) {
        text += res::kKnownDumpOtherLayout + std::string(LayoutTitle(*identification.openAs)) +
                res::kKnownDumpOtherLayoutEnd;
      }
      return text;
    }
    case IdentificationResult::NearMiss:
      return res::kNearMiss + SetList(identification.sets) + NearMissCause(identification.nearMiss);
    case IdentificationResult::Unknown: break;
  }
  // No chip, a blank one or reads that disagree are nothing to send anyone.
  return res::kNotKnownDump + std::to_string(identification.tableDumps) + res::kNotKnownDumpEnd +
         (diagnoses.empty() ? res::kNotKnownDumpSound : "");
}

std::string IdentificationShort(const Identification& identification) {
  if (identification.result == IdentificationResult::Unknown || identification.sets.empty()) {
    return res::kShortUnknownDump;
  }
  std::string sets = identification.sets.front().set;
  if (identification.sets.size() > 1) sets += " +" + std::to_string(identification.sets.size() - 1);
  return identification.result == IdentificationResult::NearMiss ? res::kShortNearMiss + sets
                                                                 : sets;
}

std::string DiagnosisSentence(Diagnosis diagnosis) {
  switch (diagnosis) {
    case Diagnosis::ReadsDiffer:
      return std::string(res::kDiagnosisReadsDiffer) + res::kReadsDifferAdvice;
    case Diagnosis::AllOnes: return res::kDiagnosisAllOnes;
    case Diagnosis::AllZeros: return res::kDiagnosisAllZeros;
    case Diagnosis::BlankChip: return res::kDiagnosisBlankChip;
    case Diagnosis::TestPinLow: return res::kDiagnosisTestPinLow;
  }
  return {};
}

std::string ReadsDifferSentence(int differingReads, int reads) {
  return std::string(res::kDiagnosisReadsDiffer) + ": " + std::to_string(differingReads) + " of " +
         std::to_string(reads) + res::kReadsDifferCount + res::kReadsDifferAdvice;
}

std::string DiagnosisShort(Diagnosis diagnosis) {
  switch (diagnosis) {
    case Diagnosis::ReadsDiffer: return res::kShortReadsDiffer;
    case Diagnosis::AllOnes: return res::kShortAllOnes;
    case Diagnosis::AllZeros: return res::kShortAllZeros;
    case Diagnosis::BlankChip: return res::kShortBlankChip;
    case Diagnosis::TestPinLow: return res::kShortTestPinLow;
  }
  return {};
}

}  // namespace quarrow
