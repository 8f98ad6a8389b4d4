// SPDX-License-Identifier: GPL-3.0-or-later
// Read chip: the read of the connected programmer on a worker thread, its progress shown on the
// progress bar, its completion brought back to the window's thread, and a close asked for meanwhile
// held until the read has stopped.
#pragma once

#include <QObject>

#include <string>

#include "Connection.h"
#include "ReadHandOff.h"
#include "ReadWorker.h"

class QProgressBar;

namespace quarrow {

class ReadCommand : public QObject {
  Q_OBJECT

 public:
  // `window` receives the read's events, queued, and goes after this.
  ReadCommand(Connection& connection, WaitFunction wait, QProgressBar* progress, QObject* window);
  // Normally the window closes only after a read has finished. If it goes regardless, the read is
  // stopped and waited for; its events, still queued, go with it.
  ~ReadCommand() override;

  bool Reading() const { return m_reading; }
  bool ClosePending() const { return m_closePending; }
  // A read runs, or a close waits for one to stop: nothing may start or be enabled again.
  bool Busy() const { return m_reading || m_closePending; }

  // Starts a read; false, with the reason, when its thread cannot be started.
  bool Start(std::string& reason);
  // A close asked for while a read runs asks the read to stop and is held: CloseReady follows the
  // read's completion. False when no read runs, so that the close goes ahead.
  bool HoldClose(int result);

 signals:
  // On the window's thread; with a close held, CloseReady comes after it.
  void Completed(quarrow::ReadCompletion completion);
  void CloseReady(int result);

 private:
  void OnProgress(const ReadProgress& progress);
  void OnCompletion(const ReadCompletion& completion);
  void FinishClose();

  Connection& m_connection;
  WaitFunction m_wait;
  QProgressBar* m_progress;
  QObject* m_window;
  ReadHandOff m_handOff;
  ReadPromWorker m_worker;
  bool m_reading = false;
  bool m_closePending = false;
  int m_closeResult = 0;
};

}  // namespace quarrow
