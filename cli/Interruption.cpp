// SPDX-License-Identifier: GPL-3.0-or-later
// Signal handlers of quarrow-cli. Everything a handler touches is a lock-free atomic or an
// async-signal-safe call.
#include "Interruption.h"

#include <signal.h>

#include "ImageFile.h"

namespace quarrow::cli {

namespace {

#if defined(_WIN32)
constexpr int kHandledSignals[] = {SIGINT, SIGTERM};
#else
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};
#endif

std::atomic<bool> deferring{false};
std::atomic<bool> stopRequested{false};
std::atomic<int> deferredSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

void OnTerminationSignal(int signal) {
  RemoveUnfinishedSaveFiles();
  int none = 0;
  if (deferring.load() && deferredSignal.compare_exchange_strong(none, signal)) {
    stopRequested.store(true, std::memory_order_release);
    return;
  }
  // Ends the program as the signal's default action does, so a parent sees it killed by the signal.
  // The signal stays blocked until this handler returns, and is then delivered again.
#if defined(_WIN32)
  ::signal(signal, SIG_DFL);
#else
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
#endif
  raise(signal);
}

}  // namespace

void InstallSignalHandlers() {
#if defined(_WIN32)
  // The C runtime runs a console's Ctrl-C handler on a thread of its own; the handler's work is the
  // same.
  for (int signal : kHandledSignals) ::signal(signal, OnTerminationSignal);
#else
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kHandledSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kHandledSignals) {
    // A signal ignored when the program started (nohup, a background job) stays ignored.
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
  // A closed output pipe (| head) fails the write, which is reported, instead of ending the
  // program between a chip's file and its log line.
  ::signal(SIGPIPE, SIG_IGN);
#endif
}

SignalsDeferred::SignalsDeferred() { deferring.store(true); }
SignalsDeferred::~SignalsDeferred() { deferring.store(false); }

const std::atomic<bool>& StopRequested() { return stopRequested; }

ExitStatus InterruptedExitStatus() {
  const int signal = deferredSignal.load();
  return signal == 0 ? kExitSuccess : static_cast<ExitStatus>(128 + signal);
}

}  // namespace quarrow::cli
