// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: command line, back end, program-wide values and the modal main window.
#include "QuarrowApp.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "DestroyedWindowWatch.h"
#include "DialogServices.h"
#include "KnownDumps.h"
#include "PrintableText.h"
#include "Programmer.h"
#include "QuarrowDlg.h"
#include "Strings.h"
#include "SystemD2xx.h"
#include "WindowArguments.h"
#include "sim/SimulatedProgrammer.h"

namespace quarrow {

CQuarrowApp theApp;

int CQuarrowApp::InitInstance(int argc, char** argv) {
  QApplication::setApplicationName(QStringLiteral("Quarrow"));
  QApplication::setApplicationVersion(QString::fromUtf8(res::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("quarrow"));

  // Everything the command line decides is done before the window's application object exists:
  // that one needs a display, and --help, a bad option or an unreadable file must not.
  WindowArguments arguments;
  if (const int status = ParseWindowArguments(argc, argv, arguments); status >= 0) return status;

  std::unique_ptr<ID2xx> backEnd;
  if (arguments.simulate || !arguments.simulateImage.isEmpty()) {
    auto simulated = std::make_unique<SimulatedProgrammer>();
    if (!arguments.simulateImage.isEmpty()) {
      const QString file = arguments.simulateImage;
      const FileStatus loaded = simulated->LoadChipFile(
          std::filesystem::path(QFile::encodeName(file).toStdString()), ImageFileLayout::Mame);
      if (!loaded) {
        const std::string name = PrintableText(QFile::encodeName(file).toStdString());
        std::fprintf(stderr, "quarrow: %s%s: %s\n", res::kCantOpenFile, name.c_str(),
                     PrintableText(loaded.reason).c_str());
        return kWindowExitFailure;
      }
    }
    backEnd = std::move(simulated);
  } else {
    backEnd = CreateSystemD2xx();
  }

  QApplication app(argc, argv);
  QApplication::setWindowIcon(ApplicationIcon());

  g_d2xx = backEnd.get();
  CD2xxPinPort pinPort(*g_d2xx, g_ftHandle);
  g_pinPort = &pinPort;

  // A table named in the environment that cannot be read is reported once the window is up; the
  // window then identifies by the built-in table.
  std::optional<KnownDumpTable> knownDumps;
  QString knownDumpsProblem;
  if (const char* path = std::getenv(kKnownDumpsVariable); path != nullptr && *path != '\0') {
    std::string error;
    knownDumps = LoadKnownDumps(std::filesystem::path(path), error);
    if (!knownDumps) {
      knownDumpsProblem = QString::fromUtf8(res::kCantReadKnownDumps) +
                          QString::fromLocal8Bit(error) + QStringLiteral("\n\n") +
                          QString::fromUtf8(res::kUsingBuiltInKnownDumps);
    }
  }

  QtDialogServices services;
  int result = 0;
  {
    QuarrowDlgContext context{*g_d2xx,      g_ftHandle,    *g_pinPort, g_pinByte,
                              g_chipImage, g_bufferImage, services};
    context.knownDumps = knownDumps ? &*knownDumps : nullptr;
    CQuarrowDlg dlg(context);
    const DestroyedWindowWatch destroyedWatch(dlg);
    dlg.show();
    if (!knownDumpsProblem.isEmpty()) {
      services.MessageBox(&dlg, knownDumpsProblem, QString::fromUtf8(res::kCaptionError));
    }
    dlg.exec();
  }
  // The back end goes with `backEnd` below and closes the programmer, which gives the USB interface
  // back to the kernel's serial driver.
  g_pinPort = nullptr;
  g_d2xx = nullptr;
  return result;
}

}  // namespace quarrow
