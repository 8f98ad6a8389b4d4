// SPDX-License-Identifier: GPL-3.0-or-later
// Why a programmer library's call failed, as a value: what went wrong as far as the person can do
// something about it, and the library's own words. The edges say it in sentences
// (ProgrammerErrorText).
#pragma once

#include <string>

namespace quarrow {

enum class ProgrammerProblem {
  None,              // no failure
  Other,             // nothing the tool can advise on: the library's words alone
  LibraryUnusable,   // the library could not start (no USB access at all)
  DriverMissing,     // the family's driver library is not installed; subject: its file
  DriverCopyBroken,  // a copy of the driver library beside the program will not load; subject: its path
  DriverIncomplete,  // the copy beside the program lacks a call the tool needs; subject: its path,
                     // words: the call
  DriverOutdated,    // the installed driver library lacks a call; subject: its path, words: the call
  DriverFaulty,      // the driver library answers what cannot be; subject: the count it gave
  PermissionDenied,  // the USB device file may not be opened (no udev rule); for a GPIO chip,
                     // subject: its device file
  InUse,             // another program holds the programmer, or it is connected here already; for
                     // a GPIO chip, subject: the line held, words: its holder's consumer name
  CannotOpen,        // the open failed for another reason
  NoSuchSerial,      // no programmer with that serial is attached; subject: the serial
  NoSuchPlace,       // the list no longer has a programmer at that place; subject: the place
  Unplugged,         // the programmer has gone
  NotConnected,      // an operation on a programmer that is not open
  ListFailed,        // the library could not list the programmers
  SetupFailed,       // a set-up call (bit mode, baud rate, time-outs, reset) failed; subject: the call
  InputOnlyPin,      // a pin that can only read was asked to drive; subject: its name
  CloseFailed,       // closing the programmer failed
  PinWriteFailed,    // the programmer did not take a pin write
  PinReadFailed,     // the programmer did not give its pins' levels
};

struct ProgrammerError {
  ProgrammerProblem problem = ProgrammerProblem::None;
  std::string source;   // who failed: "libftdi", "ftd2xx.dll", "simulated programmer"
  std::string family;   // the programmers' family ("FTDI"), whose driver the advice names
  std::string subject;  // the file, call, serial or place the problem names
  std::string words;    // the library's own words (its error string, the system's reason), or empty

  bool Failed() const { return problem != ProgrammerProblem::None; }
};

}  // namespace quarrow
