// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgrammerErrorText.h"

#include "Texts.h"

namespace quarrow {

namespace {

const char* SentenceOf(ProgrammerProblem problem) {
  switch (problem) {
    case ProgrammerProblem::LibraryUnusable: return res::kProgrammerLibraryUnusable;
    case ProgrammerProblem::DriverMissing: return res::kProgrammerDriverMissing;
    case ProgrammerProblem::DriverIncomplete: return res::kProgrammerDriverIncomplete;
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

// The sentence with its "%1" standing for `subject`.
std::string WithSubject(std::string sentence, const std::string& subject) {
  if (const std::size_t at = sentence.find("%1"); at != std::string::npos) sentence.replace(at, 2, subject);
  return sentence;
}

}  // namespace

std::string ProgrammerErrorText(const ProgrammerError& error) {
  if (!error.Failed()) return {};
  std::string text = WithSubject(SentenceOf(error.problem), error.subject);
  if (!error.words.empty()) text += text.empty() ? error.words : ": " + error.words;
  if (!error.source.empty()) text = error.source + ": " + text;
  return text;
}

}  // namespace quarrow
