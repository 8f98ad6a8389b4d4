// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of quarrow-cli. Each reports its own errors and returns the process's exit status.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "Console.h"
#include "Device.h"
#include "ExitStatus.h"
#include "Repair.h"
#include "Report.h"

namespace quarrow::cli {

ExitStatus ShowCommand(const std::string& path, ImageFileLayout layout,
                       const Presentation& presentation, Console& console);
// Prints only the identification (and the diagnosis on standard error).
ExitStatus IdentifyCommand(const std::string& path, ImageFileLayout layout,
                           const Presentation& presentation, Console& console);
struct ConvertOptions {
  std::string in, out;
  ImageFileLayout from = ImageFileLayout::Nss;
  ImageFileLayout to = ImageFileLayout::Mame;
  ImageRepairs repairs;
  bool force = false;  // write even when IN looks like it is in the target layout already
};
// Exit 2 when identification says IN is already in the layout it would be converted into.
ExitStatus ConvertCommand(const ConvertOptions& options, const KnownDumpTable& knownDumps,
                          Console& console);
// The attached programmers, one a line or (json) as one JSON object.
ExitStatus ListCommand(const DeviceOptions& device, bool json, Console& console);

inline constexpr int kMinReads = 2;
inline constexpr int kMaxReads = 99;

// -o -: the image goes to standard output, not into a file named "-".
inline constexpr const char* kStandardOutputName = "-";

struct ReadOptions {
  std::string output;  // empty: print only; kStandardOutputName: standard output
  ImageFileLayout layout = ImageFileLayout::Mame;
  int reads = 1;        // more than one: all must agree bit for bit, or nothing is saved
  bool strict = false;  // a read a diagnosis calls broken fails with kExitBrokenRead
  std::string trace;    // empty: no pin trace
};
ExitStatus ReadCommand(const DeviceOptions& device, const ReadOptions& options,
                       const Presentation& presentation, Console& console);

ExitStatus CompareCommand(const DeviceOptions& device, const std::string& path,
                          ImageFileLayout layout, bool strict, const Presentation& presentation,
                          Console& console);

// The shell line that runs `command` on the file at `path` opened in `layout`.
std::string OpenCommandLine(const char* command, const std::string& path, ImageFileLayout layout,
                            bool romLoad);

// The shell line of a convert that turns the near miss in `path` into its known dump, in place.
std::optional<std::string> RepairCommandLine(const std::string& path, ImageFileLayout layout,
                                             const Identification& identification);

struct ArchiveOptions {
  std::string folder;
  int reads = kMinReads;
};
// Reads one chip after another into `folder`, prompting on standard error and taking one line of
// standard input per chip, until end of input or "q".
ExitStatus ArchiveCommand(const DeviceOptions& device, const ArchiveOptions& options,
                          const Presentation& presentation, std::istream& in, Console& console);

struct WiringOptions {
  std::string serial;               // empty: every stored wiring
  std::optional<std::string> pins;  // --pins: store this wiring for SERIAL
  bool invertData = false;
  bool forget = false;  // drop the wiring stored for SERIAL
};
// Shows the stored wirings (or SERIAL's), or stores or drops SERIAL's. Pins given by a programmer's
// own names (a CH341A's CLK, a GPIO chip's GPIO17) are looked up on SERIAL among the programmers
// `device` lists, and checked against it, when it is attached.
ExitStatus WiringCommand(const WiringOptions& options, Console& console, const DeviceOptions* device = nullptr);

// Exit status 0 when the wiring is plausible, 3 when a fault is likely or the check could not run.
// `trace`, when not empty, receives the check's pin traffic.
ExitStatus SelfTestCommand(const DeviceOptions& device, bool json, const std::string& trace,
                           Console& console);

}  // namespace quarrow::cli
