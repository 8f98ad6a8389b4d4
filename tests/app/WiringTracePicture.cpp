// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the pin trace of the wiring check on the simulated programmer, as the wiring dialog draws
// it, for the README: wiring-trace-picture OUTPUT.png
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "PinTraceView.h"
#include "Programmer.h"
#include "SelfTest.h"
#include "sim/SimulatedProgrammer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wiring-trace-picture OUTPUT.png\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  using namespace quarrow;
  SimulatedProgrammer sim;
  Connection connection(sim);
  const PinAssignment pins;
  if (!connection.Connect(EntryForSerial(kSimulatedSerial), pins).ok) {
    std::fprintf(stderr, "wiring-trace-picture: cannot connect to the simulated programmer\n");
    return 1;
  }
  PinTrace trace = PinTraceFor(pins);
  // The waits only move the trace's clock: the picture is the same on every run.
  connection.SelfTest(pins, &trace, [](int) {});

  CPinTraceView view;
  view.SetTrace(trace);
  view.resize(760, 200);
  if (!view.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "wiring-trace-picture: could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
