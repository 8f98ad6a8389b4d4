// SPDX-License-Identifier: GPL-3.0-or-later
// The read's worker, its queued events and a close held until the read has stopped.
#include "ReadCommand.h"

#include <QProgressBar>

#include <system_error>

#include "PromImage.h"

namespace quarrow {

ReadCommand::ReadCommand(Connection& connection, WaitFunction wait, QProgressBar* progress, QObject* window)
    : m_connection(connection), m_wait(std::move(wait)), m_progress(progress), m_window(window) {
  m_progress->setRange(1, PromImage::kBits);
  // A read's events come from its worker's thread; queued to the window, they run on its thread
  // and go with it.
  connect(&m_handOff, &ReadHandOff::Progressed, m_window, [this](const ReadProgress& progress) {
    OnProgress(progress);
  }, Qt::QueuedConnection);
  connect(&m_handOff, &ReadHandOff::Completed, m_window, [this](const ReadCompletion& completion) {
    OnCompletion(completion);
  }, Qt::QueuedConnection);
}

ReadCommand::~ReadCommand() {
  m_worker.RequestStop();
  m_worker.Join();
}

bool ReadCommand::Start(std::string& reason) {
  m_progress->setRange(1, PromImage::kBits);
  m_reading = true;
  m_worker.Join();  // the previous read, which has sent its completion already
  try {
    m_worker.Start(m_connection.ReadJob(m_handOff, m_wait));
  } catch (const std::system_error& error) {
    m_reading = false;
    reason = error.what();
    return false;
  }
  return true;
}

void ReadCommand::OnProgress(const ReadProgress& progress) {
  const int n = progress.bitsRead;
  m_progress->setValue(n);
  m_progress->setValue(n - 1);
  m_progress->setValue(n);
}

void ReadCommand::OnCompletion(const ReadCompletion& completion) {
  m_reading = false;
  emit Completed(completion);
  if (m_closePending) QMetaObject::invokeMethod(m_window, [this] { FinishClose(); }, Qt::QueuedConnection);
}

bool ReadCommand::HoldClose(int result) {
  if (!Busy()) return false;
  if (!m_closePending) {
    m_closePending = true;
    m_closeResult = result;
    m_worker.RequestStop();
  }
  return true;
}

void ReadCommand::FinishClose() {
  // No read can have started since the close was asked for, and the last one has sent its
  // completion, so this join returns at once.
  m_worker.Join();
  m_closePending = false;
  emit CloseReady(m_closeResult);
}

}  // namespace quarrow
