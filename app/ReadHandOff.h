// SPDX-License-Identifier: GPL-3.0-or-later
// Hands a read's events from its worker thread to the window's thread through Qt's queued
// signals, as values: the worker never waits for the window.
#pragma once

#include <QMetaType>
#include <QObject>

#include "ReadOut.h"

Q_DECLARE_METATYPE(quarrow::ReadProgress)
Q_DECLARE_METATYPE(quarrow::ReadCompletion)

namespace quarrow {

class ReadHandOff : public QObject, public IReadReceiver {
  Q_OBJECT

 public:
  using QObject::QObject;
  // On the worker's thread; a receiver connected with Qt::QueuedConnection gets them on its own.
  void OnReadProgress(const ReadProgress& progress) override { emit Progressed(progress); }
  void OnReadCompletion(const ReadCompletion& completion) override { emit Completed(completion); }

 signals:
  void Progressed(quarrow::ReadProgress progress);
  void Completed(quarrow::ReadCompletion completion);
};

}  // namespace quarrow
