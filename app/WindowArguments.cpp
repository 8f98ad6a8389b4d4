// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing quarrow's arguments with Qt's core only, so that no display connection is made for them.
#include "WindowArguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <vector>

#include "CommandLineMessage.h"
#include "Texts.h"

namespace quarrow {

namespace {

// The options every Qt window program takes (QGuiApplication and QApplication remove them from the
// arguments once they exist): a person may give them, so they are no unknown options here.
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
    QStringLiteral("style"),           QStringLiteral("stylesheet")};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                              QStringLiteral("nograb"), QStringLiteral("dograb")};

QStringList WithoutQtOptions(const QStringList& arguments) {
  QStringList kept;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (i == 0 || argument == QStringLiteral("--")) {
      if (i != 0) {
        kept += arguments.mid(i);
        break;
      }
      kept += argument;
      continue;
    }
    QString name = argument;
    if (name.startsWith(QStringLiteral("--"))) name.remove(0, 1);
    if (!name.startsWith(QLatin1Char('-'))) {
      kept += argument;
      continue;
    }
    name.remove(0, 1);
    const QString bare = name.section(QLatin1Char('='), 0, 0);
    if (kQtOptionsWithValue.contains(bare)) {
      if (!name.contains(QLatin1Char('='))) ++i;  // the value is the next argument
      continue;
    }
    if (!kQtFlags.contains(name)) kept += argument;
  }
  return kept;
}

void PrintUsageError(const QString& text) {
  ReportCommandLineError(text + QStringLiteral("; see quarrow --help"));
}

}  // namespace

int ParseWindowArguments(int argc, char** argv, WindowArguments& arguments) {
  // QCoreApplication may take arguments out of the list it is given; the window's own
  // application object gets them all afterwards.
  std::vector<char*> copy(argv, argv + argc);
  copy.push_back(nullptr);
  int count = argc;
  // Qt's core alone: it gives the arguments in the system's encoding and the program's name for
  // the help, and connects to no display.
  QCoreApplication core(count, copy.data());

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Reads RP5H01 serial PROMs through an FTDI programmer in bit-bang mode."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption simulate(
      QStringLiteral("simulate"), QStringLiteral("List a simulated programmer instead of the attached ones."));
  const QCommandLineOption simulateImage(
      QStringLiteral("simulate-image"),
      QStringLiteral("List a simulated programmer whose chip holds this MAME-layout image file."),
      QStringLiteral("FILE"));
  parser.addOption(simulate);
  parser.addOption(simulateImage);
  if (!parser.parse(WithoutQtOptions(QCoreApplication::arguments()))) {
    QString error = parser.errorText();
    if (error.endsWith(QLatin1Char('.'))) error.chop(1);
    PrintUsageError(error);
    return kWindowExitUsage;
  }
  if (parser.isSet(help)) parser.showHelp(0);
  // addHelpOption's --help-all only takes effect through process(), which prints and exits.
  if (parser.isSet(QStringLiteral("help-all"))) {
    parser.process(QStringList{QCoreApplication::arguments().constFirst(), QStringLiteral("--help-all")});
  }
  if (parser.isSet(version)) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    PrintUsageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front()));
    return kWindowExitUsage;
  }
  if (parser.isSet(simulateImage) && parser.value(simulateImage).isEmpty()) {
    PrintUsageError(QStringLiteral("--simulate-image: the file name is empty"));
    return kWindowExitUsage;
  }
  arguments.simulate = parser.isSet(simulate);
  arguments.simulateImage = parser.value(simulateImage);
  return -1;
}

QString MissingDisplay(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
  QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  bool displayOption = false;
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    if (argument == QStringLiteral("--")) break;
    const QString name = argument.startsWith(QStringLiteral("--")) ? argument.mid(2) : argument.mid(1);
    if (name.startsWith(QStringLiteral("platform="))) platform = name.section(QLatin1Char('='), 1);
    if (name == QStringLiteral("platform") && i + 1 < argc) platform = QString::fromLocal8Bit(argv[i + 1]);
    if (name == QStringLiteral("display") || name.startsWith(QStringLiteral("display="))) displayOption = true;
  }
  // Without a platform named, Qt takes Wayland where a compositor is named, X otherwise.
  const bool x11 = platform.isEmpty() ? qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                      : platform.startsWith(QStringLiteral("xcb"));
  if (x11 && !displayOption && qEnvironmentVariableIsEmpty("DISPLAY")) {
    return QString::fromUtf8(res::kNoDisplay);
  }
#else
  Q_UNUSED(argc);
  Q_UNUSED(argv);
#endif
  return {};
}

}  // namespace quarrow
