// SPDX-License-Identifier: GPL-3.0-or-later
// The open programmer: connect and close, and its reads and wiring checks.
#include "Connection.h"

namespace quarrow {

std::vector<DeviceEntry> Connection::List() { return EnumerateProgrammers(library_); }

ProgrammerError Connection::LastError() const {
  if (open_) {
    if (ProgrammerError error = open_->LastError(); error.Failed()) return error;
  }
  return library_.LastError();
}

ConnectResult Connection::Connect(const DeviceEntry& entry, const PinAssignment& pins) {
  if (Connected() && SameProgrammer(programmer_, entry)) Close();
  std::unique_ptr<IOpenProgrammer> opened;
  ConnectResult result = ConnectProgrammer(library_, entry, opened, pins);
  if (!result.ok) return result;
  // The programmer used until now is handed back to other programs.
  open_ = std::move(opened);
  programmer_ = entry;
  pins_ = pins;
  return result;
}

void Connection::Close() { open_.reset(); }

int Connection::BitBangPins() const {
  return programmer_.chip ? FactsOf(*programmer_.chip).bitBangPins : 8;
}

ReadPromJob Connection::ReadJob(IReadReceiver& receiver, WaitFunction wait) {
  ReadPromJob job{port_, receiver, std::move(wait)};
  job.pins = pins_;
  return job;
}

ReadCompletion Connection::Read(IReadReceiver& receiver, const std::atomic<bool>* stopRequested,
                                PinTrace* trace, const WaitFunction& wait) {
  ReadPromJob job = ReadJob(receiver, wait);
  job.stopRequested = stopRequested;
  // Without a trace the read goes straight to the programmer.
  if (trace == nullptr) return ReadProm(job);
  TracingPinPort traced(port_, *trace, wait);
  ReadPromJob tracedJob{traced, receiver, traced.TimedWait(), stopRequested, pins_};
  return ReadProm(tracedJob);
}

WiringSelfTestResult Connection::SelfTest(const PinAssignment& pins, PinTrace* trace,
                                          const WaitFunction& wait) {
  WiringSelfTestResult result;
  // The direction mask differs between assignments: the pins are set up for the one tried.
  const bool setUp = pins.DirectionMask() != pins_.DirectionMask();
  if (setUp && open_) open_->SetOutputs(pins.DirectionMask());
  if (trace == nullptr) {
    result = RunWiringSelfTest(port_, pins, wait, BitBangPins());
  } else {
    TracingPinPort traced(port_, *trace, wait);
    result = RunWiringSelfTest(traced, pins, traced.TimedWait(), BitBangPins());
  }
  if (setUp && open_) open_->SetOutputs(pins_.DirectionMask());
  return result;
}

}  // namespace quarrow
