// SPDX-License-Identifier: GPL-3.0-or-later
// wiring: shows, stores and drops the wirings stored for programmers in the file the window shares.
#include <memory>

#include "Texts.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ConnectionText.h"
#include "Device.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "WiringFile.h"
#include "WiringText.h"

namespace quarrow::cli {

namespace {

std::string Described(const PinAssignment& pins) {
  return pins.Text() + (pins.invertData ? res::kDataInverted : "");
}

void ShowAll(const StoredWirings& stored, Console& console) {
  if (stored.forAll) console.out << res::kWiringDefaultForAll << Described(*stored.forAll) << '\n';
  for (const auto& [serial, pins] : stored.bySerial) console.out << serial << ": " << Described(pins) << '\n';
  if (!stored.forAll && stored.bySerial.empty()) console.out << res::kNoWiringsStored << '\n';
}

void ShowOne(const StoredWirings& stored, const std::string& serial, Console& console) {
  console.out << SerialSpelling(serial) << ": ";
  if (const std::optional<PinAssignment> own = stored.Own(serial)) {
    console.out << Described(*own) << '\n';
  } else if (stored.forAll) {
    console.out << Described(*stored.forAll) << res::kWiringIsTheDefault << '\n';
  } else {
    console.out << res::kNothingStoredFor << Described(PinAssignment{}) << ")\n";
  }
}

// The programmer SERIAL names among those attached (as the device gave it, or as list spells it);
// nothing when it is not attached or nothing can be listed.
std::optional<DeviceEntry> AttachedProgrammer(const std::string& serial, const DeviceOptions& device, Console& console) {
  const std::unique_ptr<IProgrammerLibrary> library = CreateBackend(device, console);
  if (!library) return std::nullopt;
  for (const DeviceEntry& listed : EnumerateProgrammers(*library)) {
    if (listed.serial == serial || SerialSpelling(listed.serial) == serial) return listed;
  }
  return std::nullopt;
}

// The pins to store: by the names of SERIAL's programmer when it is attached, checked against it,
// else by the names every programmer takes. False, reported, when they cannot be stored.
bool PinsToStore(const WiringOptions& options, const DeviceOptions* device, PinAssignment& pins, Console& console) {
  const std::optional<DeviceEntry> programmer =
      device ? AttachedProgrammer(options.serial, *device, console) : std::nullopt;
  const PinAssignmentParse parse = programmer ? ParsePinAssignment(*options.pins, PinsOf(*programmer))
                                              : ParsePinAssignment(*options.pins);
  if (!parse.assignment) {
    console.err << res::kProgramName << ": --pins: " << PrintableText(PinAssignmentProblemText(parse.problem))
                << (programmer ? "" : res::kWiringConnectForNames) << '\n';
    return false;
  }
  pins = *parse.assignment;
  pins.invertData = options.invertData;
  if (programmer) {
    if (const std::optional<PinsOnProgrammerProblem> refused = PinsOnProgrammer(PinsOf(*programmer), pins)) {
      console.err << res::kProgramName << ": " << PrintableText(PinsOnProgrammerText(*refused)) << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace

ExitStatus WiringCommand(const WiringOptions& options, Console& console, const DeviceOptions* device) {
  if (options.serial.empty() && (options.pins || options.forget)) {
    console.err << res::kProgramName << ": " << res::kWiringNeedsSerial << " (see " << res::kProgramName << " wiring --help)\n";
    return kExitUsage;
  }
  if ((options.invertData && !options.pins) || (options.forget && options.pins)) {
    console.err << res::kProgramName << ": " << res::kWiringOptionsClash << " (see " << res::kProgramName << " wiring --help)\n";
    return kExitUsage;
  }
  WiringFileProblem problem;
  const std::filesystem::path file = WiringFileLocation(problem);
  StoredWirings stored;
  if (file.empty() || !LoadWirings(file, stored, problem)) {
    console.err << res::kCantReadWirings << PrintableText(WiringFileProblemText(problem))
                << (file.empty() ? "" : res::kMendWiringFile) << '\n';
    return kExitFailure;
  }
  const std::string where = PrintablePath(file);
  if (!options.pins && !options.forget) {
    console.out << res::kWiringFile << where << '\n';
    if (options.serial.empty()) {
      ShowAll(stored, console);
    } else {
      ShowOne(stored, options.serial, console);
    }
    return kExitSuccess;
  }

  const std::string serial = SerialSpelling(options.serial);
  if (options.forget) {
    if (!stored.Forget(options.serial)) {
      console.out << res::kNothingToForget << serial << res::kStoredIn << where << '\n';
      return kExitSuccess;
    }
  } else {
    PinAssignment pins;
    if (!PinsToStore(options, device, pins, console)) return kExitFailure;
    stored.Store(options.serial, pins);
  }
  if (!SaveWirings(file, stored, problem)) {
    console.err << res::kCantStoreWiring << PrintableText(WiringFileProblemText(problem)) << '\n';
    return kExitFailure;
  }
  if (options.forget) {
    console.out << res::kForgotten << serial << res::kStoredIn << where << '\n';
  } else {
    console.out << res::kStoredFor << serial << res::kStoredIn << where << ": " << Described(*stored.Own(options.serial))
                << '\n';
  }
  return kExitSuccess;
}

Command DeclareWiring(CLI::App& program, CommonOptions& common) {
  CLI::App* wiring = program.add_subcommand(
      "wiring", "Show the wirings stored for programmers (the window's too), store one or drop one");
  wiring->footer(R"(Examples:
  quarrow-cli wiring                       every stored wiring, and where they are stored
  quarrow-cli wiring A12BC3DE --pins clock=RTS,reset=CTS,data=DCD
                                           remember that wiring for programmer A12BC3DE
  quarrow-cli wiring gpiochip0 --pins clock=GPIO17,reset=GPIO27,data=GPIO22
                                           a Raspberry Pi's header lines, by their names
  quarrow-cli wiring A12BC3DE --forget     drop it again

With --pins (and --invert-data), stores that wiring for SERIAL; read, compare, archive and
selftest use it for that programmer when neither --pins nor )" QUARROW_PINS_VALUE R"( is given.

Exit status:
  0    shown, stored or dropped
  2    the command line could not be understood
  3    the wiring file cannot be read or written)");
  auto options = std::make_shared<WiringOptions>();
  wiring
      ->add_option("SERIAL", options->serial,
                   "Serial number of the programmer, as list shows it (default: show every stored "
                   "wiring)")
      ->check(kFileName);
  wiring->add_flag("--forget", options->forget, "Drop the wiring stored for SERIAL");
  return {wiring, false, nullptr, [options, &common](const CommandContext& context) {
            options->pins = common.pinTexts.pins;
            options->invertData = common.pinTexts.invertData;
            return WiringCommand(*options, context.console, &context.device);
          }};
}

}  // namespace quarrow::cli
