// SPDX-License-Identifier: GPL-3.0-or-later
// One open programmer with its wiring, the way the window and the command line both use it:
// connect, connect again, read, check the wiring, close (also when it goes).
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "PinAssignment.h"
#include "PinTrace.h"
#include "Programmer.h"
#include "ReadOut.h"
#include "SelfTest.h"

namespace quarrow {

class Connection {
 public:
  explicit Connection(ID2xx& backend) : backend_(backend) {}
  // Closes the programmer: it is then free for other programs and, on Linux, given back to the
  // kernel's serial driver.
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The programmers attached now (EnumerateProgrammers).
  std::vector<DeviceEntry> List();
  // The back end's own words for its last failure, or empty.
  std::string LastErrorText() const { return backend_.LastErrorText(); }

  // Opens `entry` and sets it up for `pins` (ConnectProgrammer). The programmer in use is closed
  // before it is opened again: the driver would refuse the second open as busy, and one unplugged
  // and plugged in again meanwhile needs opening afresh. A different programmer that will not
  // open leaves the connection as it was; one that opens replaces it.
  ConnectResult Connect(const DeviceEntry& entry, const PinAssignment& pins);
  void Close();

  bool Connected() const { return handle_ != nullptr; }
  // The programmer in use and the wiring it was set up with; meaningful while Connected().
  const DeviceEntry& Programmer() const { return programmer_; }
  const PinAssignment& Pins() const { return pins_; }
  // D0..D(n-1) of the chip in use; 8 for a chip not known.
  int BitBangPins() const;

  // The connected programmer's pins.
  IPinPort& Port() { return port_; }

  // A read of the connected programmer with its wiring, for a worker thread to run.
  ReadPromJob ReadJob(IReadReceiver& receiver, WaitFunction wait = SleepMilliseconds);
  // A read run here; its pin traffic also goes into `trace` when there is one.
  ReadCompletion Read(IReadReceiver& receiver, const std::atomic<bool>* stopRequested,
                      PinTrace* trace = nullptr, const WaitFunction& wait = SleepMilliseconds);
  // The wiring self-test on the connected programmer with `pins`, which may differ from the
  // wiring in use (the caller has made sure the chip has them): the direction mask is set for
  // `pins` and back for the wiring in use. The traffic goes into `trace`, set up for
  // `pins`, when there is one.
  WiringSelfTestResult SelfTest(const PinAssignment& pins, PinTrace* trace = nullptr,
                                const WaitFunction& wait = SleepMilliseconds);

 private:
  ID2xx& backend_;
  FT_HANDLE handle_ = nullptr;
  CD2xxPinPort port_{backend_, handle_};
  DeviceEntry programmer_;
  PinAssignment pins_;
};

}  // namespace quarrow
