// SPDX-License-Identifier: GPL-3.0-or-later
// Back-end choice, connection and read-out for the command line.
#include "Device.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "ConnectionText.h"
#include "ProgrammerErrorText.h"
#include "Texts.h"
#include "ProgressBar.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "ReadOut.h"
#include "SystemProgrammers.h"
#include "VerboseBackend.h"
#include "WiringFile.h"
#include "WiringText.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow::cli {

namespace {
// Where a "reads-fail" simulation stops answering: half-way, so the failure is not mistaken for a
// programmer that was never there.
constexpr int kSimulatedFailingBit = 64;
// The bit an "unstable-bit" simulation reads wrongly on every other read: one inside the data bits,
// where a marginal contact would show.
constexpr int kSimulatedUnstableBit = 37;

// Neither --pins nor QUARROW_PINS: the wiring stored for the programmer, or the one stored for all,
// said on standard error. --invert-data still applies. False, reported, when the file cannot be read.
bool UseStoredWiring(const std::string& serial, PinAssignment& pins, Console& console) {
  WiringFileProblem problem;
  const std::filesystem::path file = WiringFileLocation(problem);
  if (file.empty()) return true;  // no folder for settings, so nothing can have been stored
  StoredWirings stored;
  if (!LoadWirings(file, stored, problem)) {
    console.err << res::kCantReadWirings << PrintableText(WiringFileProblemText(problem)) << res::kMendWiringFileOrPins
                << '\n';
    return false;
  }
  const std::optional<PinAssignment> found = stored.For(serial);
  if (!found) return true;
  const bool invertData = pins.invertData || found->invertData;
  pins = *found;
  pins.invertData = invertData;
  const bool own = !serial.empty() && stored.Own(serial);
  console.Notes() << (own ? res::kUsingStoredWiring + SerialSpelling(serial) + res::kStoredIn
                      : std::string(res::kUsingStoredDefault))
              << PrintablePath(file) << ": " << pins.Text() << (pins.invertData ? res::kDataInverted : "")
              << '\n';
  return true;
}

// Whether an unknown pin may be a name only the programmer in use knows: a GPIO line's name is at
// most 32 characters of letters, digits and '_', '-', '.'. Anything else is refused before any
// programmer is looked for.
bool MayBeOwnPinName(const PinAssignmentProblem& problem) {
  if (problem.kind != PinAssignmentProblem::Kind::UnknownPin) return false;
  const std::string& name = problem.written;
  return !name.empty() && name.size() <= 32 && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
  });
}

}  // namespace

bool ResolvePinOptions(const PinOptionTexts& texts, DeviceOptions& options, std::string& error) {
  std::optional<std::string> pins = texts.pins;
  std::string source = "--pins";
  if (!pins) {
    const char* variable = std::getenv(res::kPinsVariable);
    if (variable != nullptr && *variable != '\0') {
      pins = variable;
      source = res::kPinsVariable;
    }
  }
  if (pins) {
    PinAssignmentParse parse = ParsePinAssignment(*pins);
    // A pin by a name only one programmer knows (CLK, GPIO17) is looked up once it is connected.
    if (!parse.assignment && !MayBeOwnPinName(parse.problem)) {
      error = source + ": " + PinAssignmentProblemText(parse.problem);
      return false;
    }
    if (parse.assignment) options.pins = *parse.assignment;
    options.pinsText = *pins;
    options.pinsSource = source;
  }
  options.pinsGiven = pins.has_value();
  options.pins.invertData = texts.invertData;

  if (texts.simulateChip) {
    const std::optional<FtdiChip> chip = ChipNamed(*texts.simulateChip);
    const std::optional<SimulatedFamily> family = SimulatedFamilyNamed(*texts.simulateChip);
    if (!chip && !family) {
      error = "--simulate-chip: unknown chip " + QuotedExcerpt(*texts.simulateChip, '"');
      return false;
    }
    if (chip) options.simulateChip = *chip;
    options.simulateFamily = family.value_or(SimulatedFamily::Ftdi);
  }
  if (texts.simulatePins) {
    PinAssignmentParse parse = ParsePinAssignment(*texts.simulatePins);
    if (!parse.assignment) {
      error = "--simulate-pins: " + PinAssignmentProblemText(parse.problem);
      return false;
    }
    options.simulateWiring = *parse.assignment;
  }
  options.simulateWiring.invertData = texts.simulateInvertData;
  options.simulateBoardGiven = texts.simulateChip || texts.simulatePins || texts.simulateInvertData;
  return true;
}

namespace {

// The simulated programmer (as the options set it up) or the system's programmer library.
std::unique_ptr<IProgrammerLibrary> CreateChosenBackend(const DeviceOptions& options, Console& console) {
  if (!options.Simulated()) return CreateSystemProgrammers();

  PromImage chip = SimulatedSampleImage();
  if (!options.simulateImages.empty()) {
    const std::size_t last = options.simulateImages.size() - 1;
    const std::string& file =
        options.simulateImages[options.simulatedChip < last ? options.simulatedChip : last];
    if (!OpenImageReporting(file, ImageFileLayout::Mame, chip, console)) return nullptr;
  }
  auto simulated = std::make_unique<SimulatedProgrammer>(chip);
  SimulatedOptions faults;
  faults.unplugged = options.simulateFault == "unplugged";
  faults.failOpen = options.simulateFault == "busy";
  if (options.simulateFault == "reads-fail") faults.failReadsFromBit = kSimulatedFailingBit;
  if (options.simulateFault == "unstable-bit") faults.unstableBit = kSimulatedUnstableBit;
  faults.family = options.simulateFamily;
  faults.chip = options.simulateChip;
  faults.wiring = options.simulateWiring;
  simulated->SetOptions(faults);
  return simulated;
}

}  // namespace

std::unique_ptr<IProgrammerLibrary> CreateBackend(const DeviceOptions& options, Console& console) {
  std::unique_ptr<IProgrammerLibrary> backend = CreateChosenBackend(options, console);
  if (backend && options.verbose) return LoggingBackend(std::move(backend), console.err);
  return backend;
}

void ReportNoProgrammers(const IProgrammerLibrary& library, Console& console) {
  console.err << PrintableText(NothingFoundText(library.FamiliesSought()));
  // The first cause follows the sentence; each further one, another family's, has a line of its own.
  char before = ' ';
  for (const ProgrammerError& failure : library.ListFailures()) {
    const std::string cause = ProgrammerErrorText(failure);
    if (cause.empty()) continue;
    console.err << before << PrintableText(cause);
    before = '\n';
  }
  console.err << '\n';
}

std::unique_ptr<ChipSession> ChipSession::Connect(const DeviceOptions& options, Console& console,
                                                  ExitStatus& status) {
  status = kExitFailure;
  std::unique_ptr<IProgrammerLibrary> library = CreateBackend(options, console);
  if (!library) return nullptr;

  const std::vector<DeviceEntry> entries = EnumerateProgrammers(*library);
  DeviceEntry entry;
  if (options.serial) {
    entry = EntryForSerial(*options.serial);
    for (const DeviceEntry& listed : entries) {
      // As the device gave it, or as list (and the wiring file) spell it.
      if (listed.serial == *options.serial || SerialSpelling(listed.serial) == *options.serial) {
        entry = listed;
        break;
      }
    }
  } else if (entries.empty()) {
    ReportNoProgrammers(*library, console);
    return nullptr;
  } else {
    entry = entries.front();
  }

  PinAssignment pins = options.pins;
  if (!options.pinsGiven && !UseStoredWiring(entry.serial, pins, console)) return nullptr;
  if (options.pinsGiven && !options.pinsText.empty()) {
    // The pins as the programmer in use names them; one typed by serial takes the names every
    // programmer takes.
    PinAssignmentParse parse = ParsePinAssignment(options.pinsText, PinsOf(entry));
    if (!parse.assignment) {
      console.err << res::kProgramName << ": " << options.pinsSource << ": "
                  << PrintableText(PinAssignmentProblemText(parse.problem)) << '\n';
      return nullptr;
    }
    pins = *parse.assignment;
    pins.invertData = options.pins.invertData;
  }
  std::unique_ptr<ChipSession> session(new ChipSession(std::move(library)));
  const ConnectResult connected = session->connection_.Connect(entry, pins);
  if (!connected.ok) {
    if (connected.pinsMissing || connected.pinsRefused) {
      console.err << PrintableText(entry.serial) << ": " << ConnectFailureText(connected) << '\n';
      return nullptr;
    }
    console.err << res::kCantOpenDevice;
    if (const std::string why = ConnectFailureText(connected); !why.empty()) console.err << ": " << PrintableText(why);
    console.err << '\n';
    return nullptr;
  }
  status = kExitSuccess;
  return session;
}

bool ChipSession::Read(PromImage& image, const std::string& label, Console& console) {
  ProgressBar progress(console.err, console.errIsTerminal, label);
  return ReadOnce(image, progress, console);
}

bool ChipSession::ReadRepeatedly(int count, std::vector<PromImage>& reads, const std::string& label,
                                 Console& console) {
  reads.assign(static_cast<std::size_t>(count < 1 ? 1 : count), PromImage{});
  const auto labelOf = [&](std::size_t k) {
    return reads.size() == 1 ? label
                             : label + " (" + std::to_string(k + 1) + " of " +
                                   std::to_string(reads.size()) + ")";
  };
  ProgressBar progress(console.err, console.errIsTerminal, labelOf(0), static_cast<int>(reads.size()));
  for (std::size_t k = 0; k < reads.size(); ++k) {
    progress.BeginRead(static_cast<int>(k), labelOf(k));
    if (!ReadOnce(reads[k], progress, console)) return false;
  }
  return true;
}

bool ChipSession::ReadOnce(PromImage& image, ProgressBar& progress, Console& console) {
  const ReadCompletion result = connection_.Read(progress, &StopRequested(), trace_);
  image = result.image;
  // Checked first: a signal after the last bit still means the person wants nothing saved.
  if (InterruptedExitStatus() != kExitSuccess) {
    console.err << res::kReadInterrupted << '\n';
    return false;
  }
  if (result.outcome == ReadOutcome::Complete) return true;

  console.err << (result.outcome == ReadOutcome::Stopped ? res::kReadStopped : res::kReadFailed);
  const std::string cause = ProgrammerErrorText(connection_.LastError());
  if (!cause.empty()) console.err << ": " << PrintableText(cause);
  console.err << '\n';
  return false;
}

WiringSelfTestResult ChipSession::SelfTest() { return connection_.SelfTest(connection_.Pins(), trace_); }

void ChipSession::RecordInto(PinTrace& trace) {
  trace = connection_.TraceFor(connection_.Pins());
  trace_ = &trace;
}

}  // namespace quarrow::cli
