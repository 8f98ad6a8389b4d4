// SPDX-License-Identifier: GPL-3.0-or-later
// The exit statuses of quarrow-cli, which scripts rely on.
#pragma once

namespace quarrow::cli {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitMismatch = 1,   // compare: chip and file differ
  kExitUsage = 2,      // the command line could not be understood
  kExitFailure = 3,    // a device or file error; nothing was reported as good
  kExitBrokenRead = 4, // --strict: a diagnosis calls the read broken; nothing was saved
};

}  // namespace quarrow::cli
