// SPDX-License-Identifier: GPL-3.0-or-later
// Wiring problems as sentences, from the texts in res/Texts.h.
#include "WiringText.h"

#include "PrintableText.h"
#include "Texts.h"

namespace quarrow {

namespace {

std::string Quoted(const std::string& written) { return QuotedExcerpt(written, '"'); }
// The same cut without the quotes, for a section's name or a setting's.
std::string Excerpt(const std::string& written) {
  const std::string quoted = Quoted(written);
  return quoted.substr(1, quoted.size() - 2);
}

std::string Line(int line) { return std::string(PinLineName(line)); }

// "ADBUS0..ADBUS7" or, short, "AD0..AD7": the names a port's pins take.
std::string BusNames(int port, bool shortNames) {
  const std::string prefix = PortLetter(port) + (shortNames ? "D" : "DBUS");
  return prefix + "0.." + prefix + "7";
}

std::string PortNamingText(const PinsOnChipProblem& problem) {
  const FtdiChipFacts& facts = FactsOf(problem.chip);
  const int named = problem.pins.namedPort;
  const std::string letter = PortLetter(named);
  const std::string here = PortLetter(problem.port);
  const std::string text = res::kPortNamesPins + letter + " (" + BusNames(named, false) + ", " +
                           BusNames(named, true) + ")";
  const std::string givePins = res::kPortGivePins + BusNames(problem.port, false) + res::kPortOrDataBus;
  switch (problem.naming) {
    case PortNaming::NoLetteredPorts:
      return text + res::kPortButThe + facts.name + res::kPortNoLettersGive + PinRangeOf(problem.chip) +
             (facts.naming == PinNaming::Signals ? res::kPortNoLettersSignals : "");
    case PortNaming::NoSuchPort:
      return text + res::kPortButThe + facts.name + res::kPortNoSuchPort + letter + res::kPortNoSuchPortHere +
             here + givePins;
    default:
      return text + res::kPortOther + here + res::kPortOtherOf + facts.name + res::kPortOtherConnect + letter +
             res::kPortOtherSerial + letter + res::kPortOtherGive + here + res::kPortOtherPins +
             BusNames(problem.port, false) + res::kPortOrDataBus;
  }
}

// What is wrong in the text, after "FILE:LINE: ".
std::string WiringTextProblemText(const WiringFileProblem& problem) {
  using Kind = WiringFileProblem::Kind;
  // A line of a damaged file may be a megabyte long: it is quoted cut short, as a table field is.
  const std::string written = Quoted(problem.written);
  switch (problem.kind) {
    case Kind::NotALine: return written + res::kWiringNotALine;
    case Kind::SettingOutsideSection: return res::kWiringSettingOutside;
    case Kind::NotASection: return written + res::kWiringNotASection;
    case Kind::SectionTwice:
      return Excerpt(problem.section) + res::kWiringSectionTwice + std::to_string(problem.firstLine) +
             res::kWiringSectionTwiceEnd;
    case Kind::NoSerial: return res::kWiringNoSerial;
    case Kind::SettingTwice:
      return Excerpt(problem.written) + res::kWiringSettingTwice + Excerpt(problem.section);
    case Kind::BadPins: return PinAssignmentProblemText(problem.pins);
    case Kind::BadInvertData: return res::kWiringBadInvertData + written + res::kWiringBadInvertDataEnd;
    case Kind::UnknownSetting: return res::kWiringUnknownSetting + written + res::kWiringUnknownSettingEnd;
    default: return Excerpt(problem.section) + res::kWiringNoPins;
  }
}

}  // namespace

std::string PinAssignmentProblemText(const PinAssignmentProblem& problem) {
  using Kind = PinAssignmentProblem::Kind;
  switch (problem.kind) {
    case Kind::NotLineEqualsPin: return Quoted(problem.written) + res::kPinsNotLineEqualsPin;
    case Kind::UnknownLine: return res::kPinsUnknownLine + Quoted(problem.written) + res::kPinsUnknownLineEnd;
    case Kind::LineTwice: return res::kPinsThe + Line(problem.line) + res::kPinsLineTwice;
    case Kind::UnknownPin:
      return res::kPinsUnknownPin + Quoted(problem.written) + res::kPinsUnknownPinFor + Line(problem.line) +
             (problem.known.empty() ? std::string(res::kPinsUnknownPinEnd)
                                    : res::kPinsUnknownPinOwn +
                                          (problem.lineNames ? std::string(res::kPinsLineNamesOr) : std::string()) +
                                          problem.known + ")");
    case Kind::ChipsMixed: return Quoted(problem.written) + res::kPinsChipsMixed;
    case Kind::PortsMixed:
      return Quoted(problem.written) + res::kPinsPortsMixed + PortLetter(problem.port) +
             res::kPinsPortsMixedOther + PortLetter(problem.otherPort) + res::kPinsPortsMixedEnd;
    case Kind::PinTwice:
      return res::kPinsPinTwice + PinName(problem.pin) + res::kPinsPinTwiceBoth + Line(problem.otherLine) +
             res::kPinsPinTwiceAnd + Line(problem.line) + res::kPinsPinTwiceEnd;
    default: return res::kPinsThe + Line(problem.line) + res::kPinsLineMissing;
  }
}

std::string PinsOnChipText(const PinsOnChipProblem& problem) {
  if (problem.naming != PortNaming::Fits) return PortNamingText(problem);
  std::string missing;
  for (int pin : problem.missing) missing += (missing.empty() ? "" : ", ") + PinName(pin);
  return res::kPinsThe + std::string(FactsOf(problem.chip).name) + res::kChipHasPins + PinRangeOf(problem.chip) +
         res::kChipHasPinsBut + problem.pins.Text() + res::kChipHasPinsUses + missing + res::kChipHasPinsEnd;
}

std::string PinsOnProgrammerText(const PinsOnProgrammerProblem& problem) {
  using Kind = PinsOnProgrammerProblem::Kind;
  switch (problem.kind) {
    case Kind::InputOnly:
      return problem.pinName + res::kPinInputOnly + problem.model + res::kPinInputOnlyWhy + Line(problem.line) +
             res::kPinInputOnlyEnd;
    case Kind::NoSuchLine:
      return res::kPinsThe + problem.model + res::kLinesOnly + std::to_string(problem.count - 1) + res::kLinesOnlyBut +
             Line(problem.line) + res::kLinesOnlyGiven + problem.pinName + res::kLinesOnlyEnd;
    case Kind::NoWiring:
      return res::kPinsNoWiring + problem.chipName + " (" + problem.model + ")" + res::kPinsNoWiringWhy;
    default:
      return res::kPinsOtherChip + problem.namedChip + res::kPinsOtherChipBut +
             (problem.chipName.empty() ? problem.model : problem.chipName) + res::kPinsOtherChipEnd;
  }
}

std::string MissingPinsText(FtdiChip chip, const PinAssignment& pins, int port) {
  const std::optional<PinsOnChipProblem> problem = PinsOnChip(chip, pins, port);
  return problem ? PinsOnChipText(*problem) : std::string();
}

std::string WiringFileProblemText(const WiringFileProblem& problem) {
  using Kind = WiringFileProblem::Kind;
  switch (problem.kind) {
    case Kind::NoSettingsFolder:
#ifdef _WIN32
      return res::kNoSettingsFolderWindows;
#else
      return res::kNoSettingsFolder;
#endif
    case Kind::CantRead:
    case Kind::CantWrite: return problem.file + ": " + problem.reason;
    case Kind::TooLarge: return problem.file + ": " + res::kWiringFileTooLarge;
    default: return problem.file + ":" + std::to_string(problem.line) + ": " + WiringTextProblemText(problem);
  }
}

}  // namespace quarrow
