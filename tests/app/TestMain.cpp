// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest entry point with the QApplication that the window tests need.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Windows draw into memory, never onto a screen. A static Qt for Windows has no offscreen platform;
// minimal, with fonts enabled, draws the same way through the Windows font engine.
#ifdef _WIN32
constexpr char kTestPlatform[] = "minimal:enable_fonts";
#else
constexpr char kTestPlatform[] = "offscreen";
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", kTestPlatform);
  // Settings the window keeps (a programmer's wiring) go to a test location, never the user's own.
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
