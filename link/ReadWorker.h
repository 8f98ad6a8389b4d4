// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one read-out on a worker thread of its own, and lets its owner stop it and wait for it.
#pragma once

#include <atomic>
#include <thread>

#include "ReadOut.h"

namespace quarrow {

class ReadPromWorker {
 public:
  ReadPromWorker() = default;
  ReadPromWorker(const ReadPromWorker&) = delete;
  ReadPromWorker& operator=(const ReadPromWorker&) = delete;
  // Asks a running read to stop and waits for it.
  ~ReadPromWorker();

  // Starts ReadProm(job) on a new thread. Any earlier read must have finished (Join first).
  // The job's stop flag is replaced by this worker's own.
  void Start(const ReadPromJob& job);
  // The read stops at the next bit boundary and reports ReadOutcome::Stopped.
  void RequestStop();
  void Join();
  bool Running() const;  // started and not yet finished

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
};

}  // namespace quarrow
