// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: command line, back end, program-wide values and the modal main window.
#include "QuarrowApp.h"

#include <QApplication>

#include <filesystem>
#include <memory>

#include "CommandLineMessage.h"
#include "DestroyedWindowWatch.h"
#include "DialogServices.h"
#include "FileNames.h"
#include "KnownDumps.h"
#include "Connection.h"
#include "KnownDumpsText.h"
#include "QuarrowDlg.h"
#include "WindowLook.h"
#include "Texts.h"
#include "SystemProgrammers.h"
#include "WindowArguments.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow {

CQuarrowApp theApp;

std::optional<KnownDumpTable> KnownDumpsFromEnvironment(QString& problem) {
  problem.clear();
  const std::filesystem::path path = KnownDumpsPathFromEnvironment();
  if (path.empty()) return std::nullopt;
  TableProblem tableProblem;
  std::optional<KnownDumpTable> table = LoadKnownDumps(path, tableProblem);
  if (!table) {
    problem = QString::fromUtf8(res::kCantReadKnownDumps) + QString::fromStdString(TableProblemText(tableProblem)) +
              QStringLiteral("\n\n") + QString::fromUtf8(res::kUsingBuiltInKnownDumps);
  }
  return table;
}

int CQuarrowApp::InitInstance(int argc, char** argv) {
  QApplication::setApplicationName(QStringLiteral("Quarrow"));
  QApplication::setApplicationVersion(QString::fromUtf8(res::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("quarrow"));

  // Everything the command line decides is done before the window's application object exists:
  // that one needs a display, and --help, a bad option or an unreadable file must not.
  WindowArguments arguments;
  if (const int status = ParseWindowArguments(argc, argv, arguments); status >= 0) return status;

  std::unique_ptr<IProgrammerLibrary> backEnd;
  if (arguments.simulate || !arguments.simulateImage.isEmpty()) {
    auto simulated = std::make_unique<SimulatedProgrammer>();
    if (!arguments.simulateImage.isEmpty()) {
      const QString file = arguments.simulateImage;
      const FileStatus loaded = simulated->LoadChipFile(SystemPath(file), ImageFileLayout::Mame);
      if (!loaded) {
        ReportCommandLineError(QString::fromUtf8(res::kCantOpenFile) + file + QStringLiteral(": ") +
                               QString::fromUtf8(loaded.reason));
        return kWindowExitFailure;
      }
    }
    backEnd = std::move(simulated);
  } else {
    backEnd = CreateSystemProgrammers();
  }

  if (const QString missing = MissingDisplay(argc, argv); !missing.isEmpty()) {
    ReportCommandLineError(missing);
    return kWindowExitFailure;
  }
  QApplication app(argc, argv);
  QApplication::setWindowIcon(ApplicationIcon());

  Connection connection(*backEnd);

  // A table named in the environment that cannot be read is reported once the window is up; the
  // window then identifies by the built-in table.
  QString knownDumpsProblem;
  std::optional<KnownDumpTable> knownDumps = KnownDumpsFromEnvironment(knownDumpsProblem);

  QtDialogServices services;
  int result = 0;
  {
    QuarrowDlgContext context{connection, chipImage_, bufferImage_, services};
    context.knownDumps = knownDumps ? &*knownDumps : nullptr;
    CQuarrowDlg dlg(context);
    const DestroyedWindowWatch destroyedWatch(dlg);
    dlg.show();
    if (!knownDumpsProblem.isEmpty()) {
      services.MessageBox(&dlg, knownDumpsProblem, QString::fromUtf8(res::kCaptionError));
    }
    dlg.exec();
  }
  // The window has closed the programmer; the back end goes with `backEnd` after the connection.
  return result;
}

}  // namespace quarrow
