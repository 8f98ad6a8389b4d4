// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: command line, back end, program-wide values and the modal main window.
#include "QuarrowApp.h"

#include <QApplication>
#include <QCommandLineParser>

#include <filesystem>
#include <memory>

#include "CommandLineMessage.h"
#include "DialogServices.h"
#include "FileNames.h"
#include "KnownDumps.h"
#include "Programmer.h"
#include "QuarrowDlg.h"
#include "Strings.h"
#include "SystemD2xx.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow {

CQuarrowApp theApp;

std::optional<KnownDumpTable> KnownDumpsFromEnvironment(QString& problem) {
  problem.clear();
  const std::filesystem::path path = KnownDumpsPathFromEnvironment();
  if (path.empty()) return std::nullopt;
  std::string error;
  std::optional<KnownDumpTable> table = LoadKnownDumps(path, error);
  if (!table) {
    problem = QString::fromUtf8(res::kCantReadKnownDumps) + QString::fromUtf8(error) +
              QStringLiteral("\n\n") + QString::fromUtf8(res::kUsingBuiltInKnownDumps);
  }
  return table;
}

int CQuarrowApp::InitInstance(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quarrow"));
  QApplication::setApplicationVersion(QString::fromUtf8(res::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("quarrow"));
  QApplication::setWindowIcon(ApplicationIcon());

  // The exit statuses are quarrow-cli's: 2 for a command line that could not be understood, 3 for a
  // file that could not be read.
  constexpr int kExitUsage = 2;
  constexpr int kExitFailure = 3;
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Reads RP5H01 serial PROMs through an FT232R programmer."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("List a simulated programmer instead of the attached ones."));
  const QCommandLineOption simulateImage(
      QStringLiteral("simulate-image"),
      QStringLiteral("List a simulated programmer whose chip holds this MAME-layout image file."),
      QStringLiteral("FILE"));
  parser.addOption(simulate);
  parser.addOption(simulateImage);
  if (!parser.parse(QApplication::arguments())) {
    QString error = parser.errorText();
    if (error.endsWith(QLatin1Char('.'))) error.chop(1);
    ReportCommandLineError(error + QStringLiteral("; see quarrow --help"));
    return kExitUsage;
  }
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    ReportCommandLineError(QStringLiteral("unexpected argument '%1'; see quarrow --help")
                               .arg(parser.positionalArguments().front()));
    return kExitUsage;
  }
  if (parser.isSet(simulateImage) && parser.value(simulateImage).isEmpty()) {
    ReportCommandLineError(QStringLiteral("--simulate-image: the file name is empty; see quarrow --help"));
    return kExitUsage;
  }

  std::unique_ptr<ID2xx> backEnd;
  if (parser.isSet(simulate) || parser.isSet(simulateImage)) {
    auto simulated = std::make_unique<SimulatedProgrammer>();
    if (parser.isSet(simulateImage)) {
      const QString file = parser.value(simulateImage);
      const FileStatus loaded = simulated->LoadChipFile(SystemPath(file), ImageFileLayout::Mame);
      if (!loaded) {
        ReportCommandLineError(QString::fromUtf8(res::kCantOpenFile) + file + QStringLiteral(": ") +
                               QString::fromUtf8(loaded.reason));
        return kExitFailure;
      }
    }
    backEnd = std::move(simulated);
  } else {
    backEnd = CreateSystemD2xx();
  }

  g_d2xx = backEnd.get();
  CD2xxPinPort pinPort(*g_d2xx, g_ftHandle);
  g_pinPort = &pinPort;

  // A table named in the environment that cannot be read is reported once the window is up; the
  // window then identifies by the built-in table.
  QString knownDumpsProblem;
  std::optional<KnownDumpTable> knownDumps = KnownDumpsFromEnvironment(knownDumpsProblem);

  QtDialogServices services;
  int result = 0;
  {
    QuarrowDlgContext context{*g_d2xx,      g_ftHandle,    *g_pinPort, g_pinByte,
                              g_chipImage, g_bufferImage, services};
    context.knownDumps = knownDumps ? &*knownDumps : nullptr;
    CQuarrowDlg dlg(context);
    dlg.show();
    if (!knownDumpsProblem.isEmpty()) {
      services.MessageBox(&dlg, knownDumpsProblem, QString::fromUtf8(res::kCaptionError));
    }
    dlg.exec();
  }
  // The window has closed the programmer; the back end goes with `backEnd` below.
  g_pinPort = nullptr;
  g_d2xx = nullptr;
  return result;
}

}  // namespace quarrow
