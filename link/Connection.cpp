// SPDX-License-Identifier: GPL-3.0-or-later
// The open programmer: connect and close, and its reads and wiring checks.
#include "Connection.h"

namespace quarrow {

std::vector<DeviceEntry> Connection::List() { return EnumerateProgrammers(backend_); }

ConnectResult Connection::Connect(const DeviceEntry& entry, const PinAssignment& pins) {
  if (Connected() && SameProgrammer(programmer_, entry)) Close();
  FT_HANDLE opened = nullptr;
  ConnectResult result = ConnectProgrammer(backend_, entry, opened, pins);
  if (!result.ok) return result;
  // The programmer used until now is handed back to other programs.
  if (handle_ != nullptr) backend_.FT_Close(handle_);
  handle_ = opened;
  programmer_ = entry;
  pins_ = pins;
  return result;
}

void Connection::Close() {
  if (handle_ == nullptr) return;
  backend_.FT_Close(handle_);
  handle_ = nullptr;
}

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
  if (setUp) backend_.FT_SetBitMode(handle_, pins.DirectionMask(), FT_BITMODE_ASYNC_BITBANG);
  if (trace == nullptr) {
    result = RunWiringSelfTest(port_, pins, wait, BitBangPins());
  } else {
    TracingPinPort traced(port_, *trace, wait);
    result = RunWiringSelfTest(traced, pins, traced.TimedWait(), BitBangPins());
  }
  if (setUp) backend_.FT_SetBitMode(handle_, pins_.DirectionMask(), FT_BITMODE_ASYNC_BITBANG);
  return result;
}

}  // namespace quarrow
