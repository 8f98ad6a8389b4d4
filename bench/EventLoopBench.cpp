// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window's event loop is kept from its events while a read runs: the main window on
// the simulated programmer with the real waits, Connect, then Read chip, while a 1 ms precise timer
// notes the gap between its ticks. A gap is how late the window answers a click or repaints; the
// goal is under 50 ms. The gaps also hold the machine's scheduling delays, so they bound the
// window's own blocking from above.
//   event_loop_bench [READS]     (Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "DialogServices.h"
#include "QuarrowDlg.h"
#include "SimulatedWindowState.h"

namespace {

struct ReadStats {
  double readMs = 0;
  double longestGapMs = 0;
  int bitAtLongestGap = 0;
  double gap99Ms = 0;
  int ticks = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

  using namespace quarrow;
  testing::SimulatedWindowState state;
  QtDialogServices services;
  CQuarrowDlg dlg(state.Context(services));  // the real waits
  dlg.show();
  QCoreApplication::processEvents();
  dlg.findChild<QPushButton*>(QStringLiteral("IDC_CONNECT"))->click();
  auto* readChip = dlg.findChild<QPushButton*>(QStringLiteral("IDC_READ_CHIP"));
  auto* progress = dlg.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"));
  if (!readChip->isEnabled()) {
    std::fprintf(stderr, "event_loop_bench: cannot connect to the simulated programmer\n");
    return 1;
  }

  QElapsedTimer clock;
  clock.start();

  std::vector<ReadStats> results;
  for (int r = 0; r < reads; ++r) {
    std::vector<double> gaps;
    ReadStats stats;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    qint64 lastTick = -1;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (lastTick >= 0) {
        const double gap = static_cast<double>(now - lastTick) / 1e6;
        gaps.push_back(gap);
        if (gap > stats.longestGapMs) {
          stats.longestGapMs = gap;
          stats.bitAtLongestGap = progress->value();
        }
      }
      lastTick = now;
      if (!dlg.Reading()) loop.quit();
    });
    const qint64 start = clock.nsecsElapsed();
    tick.start();
    readChip->click();
    loop.exec();
    tick.stop();
    stats.readMs = static_cast<double>(clock.nsecsElapsed() - start) / 1e6;
    stats.ticks = static_cast<int>(gaps.size());
    if (!gaps.empty()) {
      std::sort(gaps.begin(), gaps.end());
      stats.gap99Ms = gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
    }
    if (dlg.StatusText() != QStringLiteral("PROM read out complete") || state.chip != SimulatedSampleImage()) {
      std::fprintf(stderr, "event_loop_bench: read %d did not complete: %s\n", r + 1, qPrintable(dlg.StatusText()));
      return 1;
    }
    results.push_back(stats);
    std::printf("read %d: %.0f ms; longest gap between 1 ms ticks %.1f ms (progress at %d), 99th percentile %.1f ms, "
                "%d ticks\n",
                r + 1, stats.readMs, stats.longestGapMs, stats.bitAtLongestGap, stats.gap99Ms, stats.ticks);
  }
  double worst = 0;
  for (const ReadStats& s : results) worst = std::max(worst, s.longestGapMs);
  std::printf("platform %s: longest the event loop was kept from its events during a read: %.1f ms (goal < 50 ms)\n",
              qPrintable(QGuiApplication::platformName()), worst);
  return worst < 50 ? 0 : 1;
}
