// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgrammerErrorText.h"

#include "FtdiChip.h"
#include "ProgrammerLibrary.h"
#include "Texts.h"

namespace quarrow {

namespace {

const char* SentenceOf(const ProgrammerError& error) {
  // A GPIO chip is a device file and its lines, not a USB device: its own advice.
  if (error.family == "GPIO" && !error.subject.empty()) {
    if (error.problem == ProgrammerProblem::PermissionDenied) return res::kGpioPermissionDenied;
    if (error.problem == ProgrammerProblem::InUse) {
      return error.words.empty() ? res::kGpioLineInUseUnnamed : res::kGpioLineInUse;
    }
  }
  switch (error.problem) {
    case ProgrammerProblem::LibraryUnusable: return res::kProgrammerLibraryUnusable;
    case ProgrammerProblem::DriverMissing: return res::kProgrammerDriverMissing;
    case ProgrammerProblem::DriverCopyBroken: return res::kProgrammerDriverCopyBroken;
    case ProgrammerProblem::DriverIncomplete: return res::kProgrammerDriverIncomplete;
    case ProgrammerProblem::DriverOutdated: return res::kProgrammerDriverOutdated;
    case ProgrammerProblem::DriverFaulty: return res::kProgrammerDriverFaulty;
    case ProgrammerProblem::ListFailed: return res::kProgrammerListFailed;
    case ProgrammerProblem::SetupFailed: return res::kProgrammerSetupFailed;
    case ProgrammerProblem::InputOnlyPin: return res::kProgrammerInputOnlyPin;
    case ProgrammerProblem::CloseFailed: return res::kProgrammerCloseFailed;
    case ProgrammerProblem::PermissionDenied: return res::kProgrammerPermissionDenied;
    case ProgrammerProblem::InUse: return res::kProgrammerInUse;
    case ProgrammerProblem::CannotOpen: return res::kProgrammerCannotOpen;
    case ProgrammerProblem::NoSuchSerial: return res::kProgrammerNoSuchSerial;
    case ProgrammerProblem::NoSuchPlace: return res::kProgrammerNoSuchPlace;
    case ProgrammerProblem::Unplugged: return res::kProgrammerUnplugged;
    case ProgrammerProblem::NotConnected: return res::kProgrammerNotConnected;
    case ProgrammerProblem::PinWriteFailed: return res::kProgrammerPinWriteFailed;
    case ProgrammerProblem::PinReadFailed: return res::kProgrammerPinReadFailed;
    case ProgrammerProblem::None:
    case ProgrammerProblem::Other: break;
  }
  return "";
}

// The driver a family's programmers need, where to get it.
const char* DriverOf(const std::string& family) {
  if (family == kFtdiFamily) return res::kFtdiDriver;
  if (family == kCh341aFamily) return res::kCh341aDriver;
  return res::kSomeDriver;
}

// `sentence` with "%N" standing for `value`; false when it has no such place.
bool Fill(std::string& sentence, const char* place, const std::string& value) {
  const std::size_t at = sentence.find(place);
  if (at == std::string::npos) return false;
  sentence.replace(at, 2, value);
  return true;
}

// What the list looked for in `family`, as a person would look for it.
std::string SoughtText(const std::string& family) {
  if (family == kCh341aFamily) return res::kSoughtCh341a;
  if (family == kGpioFamily) return res::kSoughtGpio;
  if (family != kFtdiFamily) return family;
  std::string chips;
  for (const FtdiChipFacts& facts : SupportedChips()) chips += (chips.empty() ? "" : ", ") + std::string(facts.name);
  std::string text = res::kSoughtFtdi;
  Fill(text, "%1", chips);
  return text;
}

}  // namespace

std::string NothingFoundText(const std::vector<std::string>& families) {
  if (families.empty()) return res::kNoDevicesFoundAtAll;
  std::string sought;
  for (const std::string& family : families) sought += (sought.empty() ? "" : "; ") + SoughtText(family);
  std::string text = res::kNoDevicesFound;
  Fill(text, "%1", sought);
  return text;
}

std::string ProgrammerErrorText(const ProgrammerError& error) {
  if (!error.Failed()) return {};
  // %1: the subject, %2: the library's words (else they follow), %3: the driver to install.
  std::string text = SentenceOf(error);
  Fill(text, "%1", error.subject);
  Fill(text, "%3", DriverOf(error.family));
  if (!Fill(text, "%2", error.words) && !error.words.empty()) {
    text += text.empty() ? error.words : ": " + error.words;
  }
  if (!error.source.empty()) text = error.source + ": " + text;
  return text;
}

}  // namespace quarrow
