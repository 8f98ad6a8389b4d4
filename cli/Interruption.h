// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C and the other signals that end a program, handled so that nothing is left half done: no
// temporary file of a save survives, and a read in progress stops at a bit boundary so that the
// programmer is closed (libftdi gives the USB interface back to the kernel's serial driver).
#pragma once

#include <atomic>
#include <istream>
#include <string>

#include "ExitStatus.h"

namespace quarrow::cli {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP, and ignores SIGXFSZ so that a file-size
// limit makes a write fail with its reason instead of ending the program. Outside a programmer
// session a signal removes any unfinished save's temporary file and then ends the program as it
// would have ended anyway.
void InstallSignalHandlers();

// While one lives, the first such signal asks the read to stop instead of ending the program; a
// second one ends it at once.
class SignalsDeferred {
 public:
  SignalsDeferred();
  ~SignalsDeferred();
  SignalsDeferred(const SignalsDeferred&) = delete;
  SignalsDeferred& operator=(const SignalsDeferred&) = delete;
};

// Waiting at a prompt for a line of standard input. While one lives, the first signal is deferred as
// by SignalsDeferred and ends the wait as the end of the input does. On POSIX the handler interrupts
// the read; a console's read on Windows goes on after Ctrl-C, so there the handler ends the line
// in the console for it.
class PromptWait {
 public:
  PromptWait();
  ~PromptWait();
  PromptWait(const PromptWait&) = delete;
  PromptWait& operator=(const PromptWait&) = delete;
  // The next line of `in`; false at the end of the input or when a signal ended the wait.
  bool ReadLine(std::istream& in, std::string& line);

 private:
  SignalsDeferred deferred_;
};

// Set by a deferred signal; the read-out's stop flag.
const std::atomic<bool>& StopRequested();

// 128 + the deferred signal's number (130 for Ctrl-C), as a shell reports a program the signal
// ended; kExitSuccess while no signal was deferred.
ExitStatus InterruptedExitStatus();

}  // namespace quarrow::cli
