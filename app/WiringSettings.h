// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the wiring file it shares with quarrow-cli: the wiring each programmer gets
// at Connect ($QUARROW_PINS, else its own, else the one stored for all programmers, else the
// original board), what the wiring dialog shows and stores, and the one-time carrying over of the
// wirings earlier versions kept in the window's Qt settings.
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>

#include "PinAssignment.h"
#include "WiringFile.h"

namespace quarrow {

class WiringSettings {
 public:
  // `file`: the wiring file; empty: the person's own. `legacyFile`: the INI file an earlier version
  // kept the wirings in; empty: the person's own Qt settings.
  explicit WiringSettings(std::filesystem::path file = {}, QString legacyFile = {});

  // Carries over the wirings of an earlier version, once, and says what keeps a wiring from being
  // used: a wiring file that cannot be read, settings that cannot be carried over, a bad
  // $QUARROW_PINS. Empty when all is well.
  QStringList CheckAtStart();

  // $QUARROW_PINS when it holds a usable assignment; `problem` says why a value set is not one.
  static std::optional<PinAssignment> FromEnvironment(QString& problem);
  // What "Default wiring" brings back for `serial` ("" for all programmers): $QUARROW_PINS, else the
  // wiring stored for all programmers (for one programmer), else the original board.
  PinAssignment DefaultFor(const std::string& serial, const StoredWirings& stored) const;

  // The stored wirings; false with the reason, naming the file and line, when they cannot be read.
  bool Load(StoredWirings& stored, QString& error) const;
  // The wiring `serial` gets at Connect.
  bool For(const std::string& serial, PinAssignment& pins, QString& error) const;
  // Stores `pins` for `serial` ("" for all programmers); the default itself is not stored, so that
  // a later change of the default reaches the programmer too.
  bool Remember(const std::string& serial, const PinAssignment& pins, QString& error);

  const std::filesystem::path& File() const { return file_; }

 private:
  QString CarryOverLegacy();

  std::filesystem::path file_;
  QString fileProblem_;  // why there is no file for this user
  QString legacyFile_;
};

}  // namespace quarrow
