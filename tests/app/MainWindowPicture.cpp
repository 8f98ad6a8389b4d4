// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window after a read of the simulated programmer, for the README:
// main-window-picture OUTPUT.png
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QThread>

#include <cstdio>

#include "DialogServices.h"
#include "QuarrowDlg.h"
#include "SimulatedWindowState.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: main-window-picture OUTPUT.png\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  using namespace quarrow;
  testing::SimulatedWindowState state;
  QtDialogServices services;
  CQuarrowDlg dlg(state.Context(services, [](int) {}));
  dlg.show();
  QCoreApplication::processEvents();  // the window takes the focus before the clicks move it
  // As a mouse click does, each click takes the focus to its button.
  for (const char* name : {"IDC_CONNECT", "IDC_READ_CHIP"}) {
    auto* button = dlg.findChild<QPushButton*>(name);
    button->setFocus(Qt::MouseFocusReason);
    button->click();
  }
  QElapsedTimer timer;
  timer.start();
  while (dlg.Reading() && timer.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
  if (dlg.Reading()) {
    std::fprintf(stderr, "main-window-picture: the simulated read did not finish\n");
    return 1;
  }
  QCoreApplication::processEvents();
  if (!dlg.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "main-window-picture: could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
