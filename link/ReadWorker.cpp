// SPDX-License-Identifier: GPL-3.0-or-later
// The read-out's worker thread and its stop and join.
#include "ReadWorker.h"

#include <system_error>

namespace quarrow {

ReadPromWorker::~ReadPromWorker() {
  RequestStop();
  Join();
}

void ReadPromWorker::Start(const ReadPromJob& job) {
  // A thread still attached from an earlier read would terminate the program on reassignment.
  Join();
  stop_.store(false, std::memory_order_release);
  running_.store(true, std::memory_order_release);
  ReadPromJob own = job;
  own.stopRequested = &stop_;
  try {
    thread_ = std::thread([this, own]() mutable {
      ReadProm(own);
      running_.store(false, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    running_.store(false, std::memory_order_release);
    throw;
  }
}

void ReadPromWorker::RequestStop() { stop_.store(true, std::memory_order_release); }

void ReadPromWorker::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool ReadPromWorker::Running() const { return running_.load(std::memory_order_acquire); }

}  // namespace quarrow
