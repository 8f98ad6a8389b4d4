// SPDX-License-Identifier: GPL-3.0-or-later
// Signal handlers of quarrow-cli. Everything a handler touches is a lock-free atomic or an
// async-signal-safe call.
#include "Interruption.h"

#include <signal.h>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <thread>
#endif

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

#if defined(_WIN32)
std::atomic<bool> waitingForLine{false};
// Set once the handler has done all it does for a signal at the prompt.
std::atomic<bool> promptSignalHandled{false};

// Types Enter into the console, which ends the line its read is waiting for. Key events are what a
// console's input holds; the read echoes the line end, so the summary starts on a line of its own.
void EndConsoleLine() {
  INPUT_RECORD keys[2] = {};
  for (INPUT_RECORD& key : keys) {
    key.EventType = KEY_EVENT;
    key.Event.KeyEvent.wRepeatCount = 1;
    key.Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
    key.Event.KeyEvent.wVirtualScanCode = 0x1C;  // Enter's, on every PC keyboard
    key.Event.KeyEvent.uChar.UnicodeChar = L'\r';
  }
  keys[0].Event.KeyEvent.bKeyDown = TRUE;
  DWORD written = 0;
  WriteConsoleInputW(GetStdHandle(STD_INPUT_HANDLE), keys, 2, &written);
}
#endif

void OnTerminationSignal(int signal) {
  RemoveUnfinishedSaveFiles();
  int none = 0;
  if (deferring.load() && deferredSignal.compare_exchange_strong(none, signal)) {
    stopRequested.store(true, std::memory_order_release);
#if defined(_WIN32)
    if (waitingForLine.load()) EndConsoleLine();
    promptSignalHandled.store(true);
#endif
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
#endif
}

SignalsDeferred::SignalsDeferred() { deferring.store(true); }
SignalsDeferred::~SignalsDeferred() { deferring.store(false); }

#if defined(_WIN32)
PromptWait::PromptWait() { waitingForLine.store(true); }

PromptWait::~PromptWait() {
  waitingForLine.store(false);
  if (deferredSignal.load() == 0) return;
  // The line end typed for the read may still be in the console (when Ctrl-C ended the read by
  // itself): it is taken back, so that it does not reach the shell after the program.
  for (int wait = 0; wait < 100 && !promptSignalHandled.load(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
}

bool PromptWait::ReadLine(std::istream& in, std::string& line) {
  if (std::getline(in, line)) return deferredSignal.load() == 0;
  // A console's read may end with the Ctrl-C before the system has run the handler, on a thread of
  // its own: a moment's wait tells the Ctrl-C from the end of the input.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
    for (int wait = 0; wait < 50 && deferredSignal.load() == 0; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return false;
}
#else
PromptWait::PromptWait() = default;
PromptWait::~PromptWait() = default;

bool PromptWait::ReadLine(std::istream& in, std::string& line) {
  // The handler is installed without SA_RESTART, so a signal interrupts the read, which then reads
  // as the input's end.
  return std::getline(in, line) && deferredSignal.load() == 0;
}
#endif

const std::atomic<bool>& StopRequested() { return stopRequested; }

ExitStatus InterruptedExitStatus() {
  const int signal = deferredSignal.load();
  return signal == 0 ? kExitSuccess : static_cast<ExitStatus>(128 + signal);
}

}  // namespace quarrow::cli
