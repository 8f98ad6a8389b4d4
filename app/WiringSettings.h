// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring the window remembers for each programmer, by serial number, and the default for the
// others ($QUARROW_PINS, else the original board).
#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "PinAssignment.h"

class QSettings;

namespace quarrow {

class WiringSettings {
 public:
  // `file`: an INI file to keep the choices in; empty: the person's own settings.
  explicit WiringSettings(const QString& file = {});
  ~WiringSettings();

  // $QUARROW_PINS when it holds a usable assignment, else clock=D0,reset=D1,data=D4.
  static PinAssignment Default();
  // The remembered wiring of `serial`, else the default.
  PinAssignment For(const std::string& serial) const;
  // Remembers `pins` for `serial`; the default itself is not remembered, so that a later change of
  // $QUARROW_PINS reaches the programmer too.
  void Remember(const std::string& serial, const PinAssignment& pins);

 private:
  QString Key(const std::string& serial) const;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace quarrow
