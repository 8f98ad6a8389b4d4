// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest entry point with the QApplication that the window tests need.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Windows draw into memory, never onto a screen. A static Qt for Windows has no offscreen platform;
// minimal, with fonts enabled, draws the same way through the Windows font engine.
#ifdef _WIN32
constexpr char kTestPlatform[] = "minimal:enable_fonts";
constexpr char kSettingsFolderVariable[] = "APPDATA";
#else
constexpr char kTestPlatform[] = "offscreen";
constexpr char kSettingsFolderVariable[] = "XDG_CONFIG_HOME";
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", kTestPlatform);
  // Settings the window keeps (the wiring file it shares with quarrow-cli, and where an earlier
  // version kept the wirings) are looked for in a folder of the tests' own, never the user's.
  const QTemporaryDir settings;
  qputenv(kSettingsFolderVariable, QDir::toNativeSeparators(settings.path()).toLocal8Bit());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
