// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window program's own command-line errors go.
#include "CommandLineMessage.h"

#include <cstdio>

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include "PrintableText.h"

namespace quarrow {

namespace {

#ifdef Q_OS_WIN
// The rule QCommandLineParser follows for --help: a console, or standard handles handed over by
// whoever started the program, mean someone reads standard error.
bool StandardErrorIsSeen() {
  if (GetConsoleWindow() != nullptr) return true;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
}
#endif

}  // namespace

void ReportCommandLineError(const QString& text) {
#ifdef Q_OS_WIN
  if (!StandardErrorIsSeen()) {
    // Win32's own box: it needs no QApplication, and no display connection beyond the desktop's.
    const std::wstring message = text.toStdWString();
    MessageBoxW(nullptr, message.c_str(), L"Quarrow", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return;
  }
#endif
  std::fprintf(stderr, "quarrow: %s\n", PrintableText(text.toStdString()).c_str());
}

}  // namespace quarrow
