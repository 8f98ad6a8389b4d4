// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of quarrow-cli. Each reports its own errors and returns the process's exit status.
#pragma once

#include <optional>
#include <string>

#include "Console.h"
#include "Device.h"
#include "ExitStatus.h"
#include "Report.h"

namespace quarrow::cli {

ExitStatus ShowCommand(const std::string& path, ImageFileLayout layout,
                       const Presentation& presentation, Console& console);
// Prints only the identification (and the diagnosis on standard error).
ExitStatus IdentifyCommand(const std::string& path, ImageFileLayout layout,
                           const Presentation& presentation, Console& console);
ExitStatus ConvertCommand(const std::string& in, const std::string& out, ImageFileLayout to,
                          Console& console);
ExitStatus ListCommand(const DeviceOptions& device, Console& console);

struct ReadOptions {
  std::string output;  // empty: print only
  ImageFileLayout layout = ImageFileLayout::Mame;
  bool verify = false;
};
ExitStatus ReadCommand(const DeviceOptions& device, const ReadOptions& options,
                       const Presentation& presentation, Console& console);

ExitStatus CompareCommand(const DeviceOptions& device, const std::string& path,
                          ImageFileLayout layout, const Presentation& presentation,
                          Console& console);

// Exit status 0 when the wiring is plausible, 3 when a fault is likely or the check could not run.
ExitStatus SelfTestCommand(const DeviceOptions& device, bool json, Console& console);

}  // namespace quarrow::cli
