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
  programmerPins_ = PinsOf(entry);
  portPins_ = CompactPortWiring(programmerPins_, pins);
  return result;
}

void Connection::Close() { open_.reset(); }

int Connection::BitBangPins() const {
  if (programmerPins_.Compact()) return 3;
  return programmer_.chip ? FactsOf(*programmer_.chip).bitBangPins : 8;
}

PinTrace Connection::TraceFor(const PinAssignment& pins) const {
  PinTrace trace = PinTraceFor(CompactPortWiring(programmerPins_, pins));
  if (programmerPins_.Compact()) trace.names = {programmerPins_.NameOf(pins.clock), programmerPins_.NameOf(pins.reset),
                                                programmerPins_.NameOf(pins.data)};
  return trace;
}

ReadPromJob Connection::ReadJob(IReadReceiver& receiver, WaitFunction wait) {
  ReadPromJob job{port_, receiver, std::move(wait)};
  job.pins = portPins_;
  return job;
}

ReadCompletion Connection::Read(IReadReceiver& receiver, const std::atomic<bool>* stopRequested,
                                PinTrace* trace, const WaitFunction& wait) {
  ReadPromJob job = ReadJob(receiver, wait);
  job.stopRequested = stopRequested;
  // Without a trace the read goes straight to the programmer.
  if (trace == nullptr) return ReadProm(job);
  TracingPinPort traced(port_, *trace, wait);
  ReadPromJob tracedJob{traced, receiver, traced.TimedWait(), stopRequested, portPins_};
  return ReadProm(tracedJob);
}

WiringSelfTestResult Connection::SelfTest(const PinAssignment& pins, PinTrace* trace,
                                          const WaitFunction& wait) {
  WiringSelfTestResult result;
  const PinAssignment port = CompactPortWiring(programmerPins_, pins);
  // A compact programmer holds only the lines of the wiring in use: it is opened with the lines
  // tried, and again with those in use after.
  const PinAssignment inUse = pins_;
  const bool reopen = programmerPins_.Compact() && !(pins == inUse);
  if (reopen && !Connect(programmer_, pins).ok) {
    // Connect closed the programmer before it tried: it is opened again with the wiring in use.
    Connect(programmer_, inUse);
    result.findings.push_back({WiringFinding::PinOperationsFailed, "", -1, true, {}, {}, {}});
    return result;
  }
  // The direction mask differs between assignments: the pins are set up for the one tried.
  const bool setUp = !reopen && port.DirectionMask() != portPins_.DirectionMask();
  // Pins left as the wiring in use set them would drive the wrong lines, and every finding would
  // be about a wiring that was never tried.
  if (setUp && open_ && !open_->SetOutputs(port.DirectionMask())) {
    open_->SetOutputs(portPins_.DirectionMask());
    result.findings.push_back({WiringFinding::PinOperationsFailed, "", -1, true, {}, {}, {}});
    return result;
  }
  if (trace == nullptr) {
    result = RunWiringSelfTest(port_, port, wait, BitBangPins());
  } else {
    TracingPinPort traced(port_, *trace, wait);
    result = RunWiringSelfTest(traced, port, traced.TimedWait(), BitBangPins());
  }
  if (setUp && open_) open_->SetOutputs(portPins_.DirectionMask());
  if (reopen) Connect(programmer_, inUse);
  NameFindings(result, pins, port);
  return result;
}

void Connection::NameFindings(WiringSelfTestResult& result, const PinAssignment& pins, const PinAssignment& port) const {
  if (!programmerPins_.Compact()) return;
  // The compact port's D0, D1, D2 stand for the lines of `pins`; it has no other pins.
  const auto line = [&](int pin) { return pin == port.clock ? pins.clock : pin == port.reset ? pins.reset : pins.data; };
  for (WiringFindingLine& finding : result.findings) {
    if (finding.pin >= 0) {
      finding.pin = line(finding.pin);
      finding.pinName = programmerPins_.NameOf(finding.pin);
    }
    if (finding.fix) {
      PinAssignment fix = *finding.fix;
      fix.clock = line(fix.clock);
      fix.reset = line(fix.reset);
      fix.data = line(fix.data);
      finding.fixText = programmerPins_.ShownText(fix);
      finding.fix = fix;
    }
  }
}

}  // namespace quarrow
