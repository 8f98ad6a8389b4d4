// SPDX-License-Identifier: GPL-3.0-or-later
// The read-out on its own thread: a whole read, a stop request, and the destructor's stop.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "LinkTestSupport.h"
#include "ReadWorker.h"

namespace quarrow::test {
namespace {

TEST(ReadWorker, RunsAWholeReadAndIsNotRunningAfterJoin) {
  ConnectedSimulation s;
  ReadPromWorker worker;
  ReadPromJob job = s.Job();
  job.wait = [](int) {};
  worker.Start(job);
  worker.Join();
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(s.receiver.progress.size(), 128u);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Complete);
  EXPECT_EQ(s.image, SimulatedSampleImage());
}

TEST(ReadWorker, RequestStopEndsARunningReadAsStopped) {
  ConnectedSimulation s;
  std::mutex mutex;
  std::condition_variable changed;
  bool waiting = false, release = false;
  ReadPromJob job = s.Job();
  // The reset's first wait holds the worker until the test has asked it to stop.
  job.wait = [&](int) {
    std::unique_lock lock(mutex);
    waiting = true;
    changed.notify_all();
    changed.wait(lock, [&] { return release; });
  };
  ReadPromWorker worker;
  worker.Start(job);
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return waiting; });
    EXPECT_TRUE(worker.Running());
    worker.RequestStop();
    release = true;
  }
  changed.notify_all();
  worker.Join();
  EXPECT_FALSE(worker.Running());
  EXPECT_TRUE(s.receiver.progress.empty());
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Stopped);
}

TEST(ReadWorker, DestroyingTheWorkerStopsAndWaitsForTheRead) {
  ConnectedSimulation s;
  {
    ReadPromWorker worker;
    ReadPromJob job = s.Job();
    job.wait = SleepMilliseconds;  // a whole read would take seconds
    worker.Start(job);
  }
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Stopped);
}

}  // namespace
}  // namespace quarrow::test
