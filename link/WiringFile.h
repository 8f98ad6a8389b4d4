// SPDX-License-Identifier: GPL-3.0-or-later
// The wirings stored for programmers, by serial number, in one file that the window and quarrow-cli
// both read and write: $XDG_CONFIG_HOME/quarrow/wiring.conf (else ~/.config/quarrow/wiring.conf),
// %APPDATA%\Quarrow\wiring.conf on Windows. The file is text:
//
//   # comment
//   [default]                              the wiring of every programmer without one of its own
//   pins = clock=D0,reset=D1,data=D2
//
//   [serial A12BC3DE]                      one programmer, by its serial number
//   pins = clock=TXD,reset=RXD,data=CTS
//   invert-data = yes
//
// A serial is spelled in the file as everywhere it is shown: control characters and bytes that are
// not UTF-8 escaped (\xNN), so one serial has one spelling in the window's list, its wiring dialog,
// `quarrow-cli list` and the file.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "PinAssignment.h"

namespace quarrow {

struct StoredWirings {
  std::optional<PinAssignment> forAll;            // [default]
  std::map<std::string, PinAssignment> bySerial;  // [serial ...], by SerialSpelling

  // The programmer's own wiring, else the one for all programmers; nothing when neither is stored.
  std::optional<PinAssignment> For(const std::string& serial) const;
  // The programmer's own wiring; an empty serial stands for all programmers.
  std::optional<PinAssignment> Own(const std::string& serial) const;
  void Store(const std::string& serial, const PinAssignment& pins);
  // False when nothing was stored.
  bool Forget(const std::string& serial);
};

// The one spelling of a serial number: PrintableText. Spelling a spelled serial again changes
// nothing, so a serial typed as `list` shows it names the same programmer.
std::string SerialSpelling(std::string_view serial);

// What went wrong with the wiring file, as a value: the edge says it in words (WiringText.h).
struct WiringFileProblem {
  enum class Kind {
    NoSettingsFolder,  // the system names no folder for the user's settings
    // The file itself (or, for CantWrite, the folder it goes in): `reason` holds the words of the
    // system or of the file check.
    CantRead,
    TooLarge,
    CantWrite,
    // The text, at `line`.
    NotALine,         // `written` is the line
    SettingOutsideSection,
    NotASection,      // `written` is the line
    SectionTwice,     // `section` appears again, first on `firstLine`
    NoSerial,
    SettingTwice,     // `written` names the setting, given twice in `section`
    BadPins,          // `pins` says why
    BadInvertData,    // `written` is the value
    UnknownSetting,   // `written` is the setting's name
    NoPins,           // `section` has no pins line (`line` is the section's)
  };
  Kind kind = Kind::NoSettingsFolder;
  std::string file;      // as shown (PrintablePath), or the name the text was parsed under
  std::size_t line = 0;  // 0 for a problem of the file itself
  std::string written;   // outside text as found
  std::string section;   // "[default]" or "[serial X]" as found
  std::size_t firstLine = 0;
  PinAssignmentProblem pins;
  std::string reason;
};

// Where the file lives for this user; empty (with the reason in `problem`) when the system names no
// folder for the user's settings.
std::filesystem::path WiringFileLocation(WiringFileProblem& problem);

// Reads the text of a wiring file; `fileName` names the file in a problem ("FILE:3: unknown pin ...").
bool ParseWirings(std::string_view text, const std::string& fileName, StoredWirings& wirings,
                  WiringFileProblem& problem);
std::string FormatWirings(const StoredWirings& wirings);

// A missing file holds no wirings. A file that is not a regular file (a FIFO is refused without
// waiting), cannot be read or does not parse is a problem naming the file, and the line where there
// is one.
bool LoadWirings(const std::filesystem::path& file, StoredWirings& wirings, WiringFileProblem& problem);
// Writes the whole file, its folder made if missing, replacing the old file whole or not at all.
bool SaveWirings(const std::filesystem::path& file, const StoredWirings& wirings, WiringFileProblem& problem);

}  // namespace quarrow
