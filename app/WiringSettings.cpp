// SPDX-License-Identifier: GPL-3.0-or-later
// Each programmer's wiring, kept in QSettings.
#include "WiringSettings.h"

#include <QSettings>
#include <QUrl>

#include <cstdlib>

#include "WiringTexts.h"

namespace quarrow {

WiringSettings::WiringSettings(const QString& file)
    : settings_(file.isEmpty()
                    ? std::make_unique<QSettings>(QSettings::UserScope, QString::fromUtf8(res::kSettingsOrganization),
                                                  QString::fromUtf8(res::kSettingsApplication))
                    : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

WiringSettings::~WiringSettings() = default;

PinAssignment WiringSettings::Default() {
  const char* variable = std::getenv(res::kPinsVariable);
  if (variable == nullptr) return {};
  const PinAssignmentParse parse = ParsePinAssignment(variable);
  return parse.assignment ? *parse.assignment : PinAssignment{};
}

// A serial is the device's own text: percent-encoded, it cannot reach into another key's path.
QString WiringSettings::Key(const std::string& serial) const {
  return QString::fromUtf8(res::kWiringSettingsGroup) + QLatin1Char('/') +
         QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLocal8Bit(serial)));
}

PinAssignment WiringSettings::For(const std::string& serial) const {
  const QString key = Key(serial);
  const QString pins = settings_->value(key + QStringLiteral("/pins")).toString();
  const PinAssignmentParse parse = ParsePinAssignment(pins.toStdString());
  if (!parse.assignment) return Default();
  PinAssignment remembered = *parse.assignment;
  remembered.invertData = settings_->value(key + QStringLiteral("/invertData")).toBool();
  return remembered;
}

void WiringSettings::Remember(const std::string& serial, const PinAssignment& pins) {
  const QString key = Key(serial);
  if (pins == Default()) {
    settings_->remove(key);
  } else {
    settings_->setValue(key + QStringLiteral("/pins"), QString::fromStdString(pins.Text()));
    settings_->setValue(key + QStringLiteral("/invertData"), pins.invertData);
  }
  settings_->sync();
}

}  // namespace quarrow
