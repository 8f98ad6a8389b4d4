// SPDX-License-Identifier: GPL-3.0-or-later
// The system's sleep granularity during a read-out. Windows wakes a sleeping thread on its timer
// tick, 15.6 ms by default, which stretches each 10 ms wait of the protocol to about 15.6 ms and a
// read from under four seconds to six; Linux wakes on time anyway (see SleepMilliseconds).
#pragma once

namespace quarrow {

// While an object lives, sleeps end within about 1 ms of their length. Objects may nest and may
// live on several threads at once.
class FineSleepResolution {
 public:
#ifdef _WIN32
  FineSleepResolution();
  ~FineSleepResolution();
#else
  FineSleepResolution() = default;
  ~FineSleepResolution() = default;
#endif
  FineSleepResolution(const FineSleepResolution&) = delete;
  FineSleepResolution& operator=(const FineSleepResolution&) = delete;

 private:
  [[maybe_unused]] bool raised_ = false;
};

}  // namespace quarrow
