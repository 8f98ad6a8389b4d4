// SPDX-License-Identifier: GPL-3.0-or-later
// One open programmer with its wiring, the way the window and the command line both use it:
// connect, connect again, read, check the wiring, close (also when it goes).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
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
  explicit Connection(IProgrammerLibrary& library) : library_(library) {}
  // Closes the programmer: it is then free for other programs and, on Linux, given back to the
  // kernel's serial driver.
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The programmers attached now (EnumerateProgrammers).
  std::vector<DeviceEntry> List();
  // The library's last failure (the connected programmer's first).
  ProgrammerError LastError() const;
  // The families the list looks for.
  std::vector<std::string> FamiliesSought() const { return library_.FamiliesSought(); }
  std::vector<ProgrammerError> ListFailures() const { return library_.ListFailures(); }

  // Opens `entry` and sets it up for `pins` (ConnectProgrammer). The programmer in use is closed
  // before it is opened again: the driver would refuse the second open as busy, and one unplugged
  // and plugged in again meanwhile needs opening afresh. A different programmer that will not
  // open leaves the connection as it was; one that opens replaces it.
  ConnectResult Connect(const DeviceEntry& entry, const PinAssignment& pins);
  void Close();

  bool Connected() const { return open_ != nullptr; }
  // The programmer in use and the wiring it was set up with; meaningful while Connected().
  const DeviceEntry& Programmer() const { return programmer_; }
  // The wiring as it was given, by the programmer's pins (GPIO lines beyond D7 too): the one shown
  // to people and stored.
  const PinAssignment& Pins() const { return pins_; }
  // What is known of the connected programmer's pins, and the wiring its opened port is driven
  // with (CompactPortWiring), which the read, the self-test and the trace run on.
  const ProgrammerPins& PinsOfProgrammer() const { return programmerPins_; }
  const PinAssignment& PortPins() const { return portPins_; }
  // D0..D(n-1) of the opened port; 8 for a chip not known.
  int BitBangPins() const;
  // An empty recording of the opened port set up for `pins`, its signals named by the
  // programmer's pins.
  PinTrace TraceFor(const PinAssignment& pins) const;

  // The connected programmer's pins.
  IPinPort& Port() { return port_; }

  // A read of the connected programmer with its wiring, for a worker thread to run.
  ReadPromJob ReadJob(IReadReceiver& receiver, WaitFunction wait = SleepMilliseconds);
  // A read run here; its pin traffic also goes into `trace` when there is one.
  ReadCompletion Read(IReadReceiver& receiver, const std::atomic<bool>* stopRequested,
                      PinTrace* trace = nullptr, const WaitFunction& wait = SleepMilliseconds);
  // The wiring self-test on the connected programmer with `pins`, which may differ from the
  // wiring in use (the caller has made sure the chip has them): the direction mask is set for
  // `pins` and back for the wiring in use; a compact programmer is opened again with the lines of
  // `pins`, and then with those in use. The traffic goes into `trace` (TraceFor(pins)) when there is
  // one; the findings name the programmer's pins.
  WiringSelfTestResult SelfTest(const PinAssignment& pins, PinTrace* trace = nullptr,
                                const WaitFunction& wait = SleepMilliseconds);

 private:
  // The pins of whichever programmer is connected at the time of each call: a job made before a
  // connect reaches the programmer connected since.
  class ConnectedPort final : public IPinPort {
   public:
    explicit ConnectedPort(const std::unique_ptr<IOpenProgrammer>& open) : open_(open) {}
    bool WritePins(std::uint8_t value) override { return open_ && open_->WritePins(value); }
    bool ReadPins(std::uint8_t& value) override { return open_ && open_->ReadPins(value); }
    bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) override {
      return open_ ? open_->ReadThenWrite(levels, value) : IPinPort::ReadThenWrite(levels, value);
    }
    bool ExchangesReadsWithWrite() const override { return open_ && open_->ExchangesReadsWithWrite(); }

   private:
    const std::unique_ptr<IOpenProgrammer>& open_;
  };

  IProgrammerLibrary& library_;
  std::unique_ptr<IOpenProgrammer> open_;
  ConnectedPort port_{open_};
  // The findings of a self-test on the compact port wiring `port`, told of the lines of `pins`.
  void NameFindings(WiringSelfTestResult& result, const PinAssignment& pins, const PinAssignment& port) const;

  DeviceEntry programmer_;
  PinAssignment pins_;
  ProgrammerPins programmerPins_;
  PinAssignment portPins_;
};

}  // namespace quarrow
