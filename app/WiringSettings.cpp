// SPDX-License-Identifier: GPL-3.0-or-later
// Each programmer's wiring, kept in the wiring file both programs share.
#include "WiringSettings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>
#include <memory>
#include <utility>

#include "Texts.h"
#include "WiringText.h"

namespace quarrow {

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text); }

// The settings an earlier version kept the wirings in, or nothing when there are none to read.
// On Linux they are an INI file, opened by its own name so that no other file Qt would consult
// (the organisation's, the system's) is read; a FIFO or folder under that name is refused rather
// than read, which would wait for ever.
std::unique_ptr<QSettings> OpenLegacy(const QString& legacyFile, QString& problem) {
  const QString organization = QString::fromUtf8(res::kSettingsOrganization);
  const QString application = QString::fromUtf8(res::kSettingsApplication);
#ifdef _WIN32
  if (legacyFile.isEmpty()) return std::make_unique<QSettings>(QSettings::UserScope, organization, application);
#endif
  const QString path = !legacyFile.isEmpty() ? legacyFile
                                             : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                                   QLatin1Char('/') + organization + QLatin1Char('/') + application +
                                                   QStringLiteral(".conf");
  const QFileInfo info(path);
  if (!info.exists()) return nullptr;
  if (!info.isFile()) {
    problem = QString::fromUtf8(res::kCantCarryOver) + path + QString::fromUtf8(res::kNotARegularFile);
    return nullptr;
  }
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// One earlier wiring, or nothing when its settings hold no usable pins.
std::optional<PinAssignment> LegacyWiring(const QSettings& settings, const QString& key) {
  const PinAssignmentParse parse =
      ParsePinAssignment(settings.value(key + QStringLiteral("pins")).toString().toStdString());
  if (!parse.assignment) return std::nullopt;
  PinAssignment pins = *parse.assignment;
  pins.invertData = settings.value(key + QStringLiteral("invertData")).toBool();
  return pins;
}

}  // namespace

WiringSettings::WiringSettings(std::filesystem::path file, QString legacyFile)
    : file_(std::move(file)), legacyFile_(std::move(legacyFile)) {
  if (file_.empty()) {
    WiringFileProblem problem;
    file_ = WiringFileLocation(problem);
    if (file_.empty()) fileProblem_ = Text(WiringFileProblemText(problem));
  }
}

std::optional<PinAssignment> WiringSettings::FromEnvironment(QString& problem) {
  problem.clear();
  const char* variable = std::getenv(res::kPinsVariable);
  if (variable == nullptr || *variable == '\0') return std::nullopt;
  const PinAssignmentParse parse = ParsePinAssignment(variable);
  if (!parse.assignment) {
    problem = QString::fromUtf8(res::kPinsVariable) + QStringLiteral(": ") +
              Text(PinAssignmentProblemText(parse.problem)) +
              QString::fromUtf8(res::kPinsVariableIgnored);
  }
  return parse.assignment;
}

PinAssignment WiringSettings::DefaultFor(const std::string& serial, const StoredWirings& stored) const {
  QString problem;
  if (const std::optional<PinAssignment> environment = FromEnvironment(problem)) return *environment;
  if (!serial.empty() && stored.forAll) return *stored.forAll;
  return {};
}

bool WiringSettings::Load(StoredWirings& stored, QString& error) const {
  stored = {};
  if (file_.empty()) return true;  // no folder for settings: nothing can have been stored
  WiringFileProblem why;
  if (LoadWirings(file_, stored, why)) return true;
  error = QString::fromUtf8(res::kCantReadWirings) + Text(WiringFileProblemText(why)) +
          QString::fromUtf8(res::kMendWiringFile);
  return false;
}

bool WiringSettings::For(const std::string& serial, PinAssignment& pins, QString& error) const {
  QString problem;
  if (const std::optional<PinAssignment> environment = FromEnvironment(problem)) {
    pins = *environment;
    return true;
  }
  StoredWirings stored;
  if (!Load(stored, error)) return false;
  pins = stored.For(serial).value_or(PinAssignment{});
  return true;
}

bool WiringSettings::Remember(const std::string& serial, const PinAssignment& pins, QString& error) {
  if (file_.empty()) {
    error = QString::fromUtf8(res::kCantStoreWiring) + fileProblem_;
    return false;
  }
  StoredWirings stored;
  if (!Load(stored, error)) return false;
  if (pins == DefaultFor(serial, stored)) {
    if (!stored.Forget(serial)) return true;
  } else {
    stored.Store(serial, pins);
  }
  WiringFileProblem why;
  if (SaveWirings(file_, stored, why)) return true;
  error = QString::fromUtf8(res::kCantStoreWiring) + Text(WiringFileProblemText(why));
  return false;
}

QStringList WiringSettings::CheckAtStart() {
  QStringList problems;
  StoredWirings stored;
  QString error;
  if (!Load(stored, error)) {
    problems << error;
  } else if (const QString carried = CarryOverLegacy(); !carried.isEmpty()) {
    problems << carried;
  }
  QString environment;
  FromEnvironment(environment);
  if (!environment.isEmpty()) problems << environment;
  return problems;
}

QString WiringSettings::CarryOverLegacy() {
  QString problem;
  const std::unique_ptr<QSettings> legacy = OpenLegacy(legacyFile_, problem);
  if (!legacy) return problem;
  const QString group = QString::fromUtf8(res::kWiringSettingsGroup) + QLatin1Char('/');
  // The serials were kept percent-encoded, read in the system's 8-bit encoding; the wiring without
  // a serial, the default for all programmers, directly in the group.
  std::vector<std::pair<std::string, PinAssignment>> found;
  if (const std::optional<PinAssignment> forAll = LegacyWiring(*legacy, group)) found.emplace_back("", *forAll);
  legacy->beginGroup(group);
  const QStringList serials = legacy->childGroups();
  legacy->endGroup();
  for (const QString& key : serials) {
    if (const std::optional<PinAssignment> pins = LegacyWiring(*legacy, group + key + QLatin1Char('/'))) {
      found.emplace_back(QUrl::fromPercentEncoding(key.toLatin1()).toLocal8Bit().toStdString(), *pins);
    }
  }
  if (found.empty() || file_.empty()) return {};

  // A wiring stored in the file since wins over the earlier one.
  StoredWirings stored;
  QString error;
  if (!Load(stored, error)) return error;
  for (const auto& [serial, pins] : found) {
    if (!stored.Own(serial)) stored.Store(serial, pins);
  }
  WiringFileProblem why;
  if (!SaveWirings(file_, stored, why)) {
    return QString::fromUtf8(res::kCantCarryOver) + Text(WiringFileProblemText(why));
  }
  // Carried over once: the file holds them now, and a later change there must not be undone.
  legacy->remove(QString::fromUtf8(res::kWiringSettingsGroup));
  legacy->sync();
  return {};
}

}  // namespace quarrow
