// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's own command line: it ends with quarrow-cli's exit statuses before any window
// opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#endif

#include "CliRunner.h"

namespace quarrow::testing {
namespace {

CliRun RunWindowProgram(const std::vector<std::string>& args) {
#ifdef _WIN32
  // The static quarrow.exe has the windows platform only; it ends before opening a window.
  return RunCli(args, {}, QUARROW_APP_PATH);
#else
  // No display at all: the arguments must be answered without one.
  ChildSetUp setUp;
  setUp.program = QUARROW_APP_PATH;
  setUp.environment = {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="};
  return RunChild(args, setUp);
#endif
}

TEST(WindowCommandLine, HelpVersionBadArgumentsAndAnUnreadableChipFileNeedNoDisplay) {
  TempFolder folder;
  const CliRun version = RunWindowProgram({"--version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("Quarrow ", 0), 0u) << version.out;
  const CliRun help = RunWindowProgram({"--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("--simulate-image <FILE>"), std::string::npos) << help.out;
  // Qt's own window options are no unknown options.
  EXPECT_EQ(RunWindowProgram({"-platform", "offscreen", "--version"}).status, 0);
  EXPECT_EQ(RunWindowProgram({"--frobnicate"}).status, 2);
  EXPECT_EQ(RunWindowProgram({"--simulate-image", ""}).status, 2);
#ifndef _WIN32
  // The window itself needs a display: said, not aborted.
  const CliRun window = RunWindowProgram({"--simulate"});
  EXPECT_EQ(window.status, 3);
  EXPECT_NE(window.err.find("no display"), std::string::npos) << window.err;
#endif
  const std::string missing = (folder / "no such.prm").string();
  const CliRun run = RunWindowProgram({"--simulate-image", missing});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("quarrow: Can't open file - " + missing + ": " + NoSuchFileText() + "\n"),
            std::string::npos)
      << run.err;
}

#ifdef _WIN32
namespace fs = std::filesystem;

// Polls `done` for up to 30 s: the first start of the static quarrow.exe under Wine takes seconds.
bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// quarrow.exe as Explorer or a Command Prompt starts it: no standard handles handed over, unless
// `redirect` asks for them (then to NUL), as a script would.
class WindowProgram {
 public:
  WindowProgram(const fs::path& exe, const std::vector<std::wstring>& args, bool redirect) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    for (const std::wstring& arg : args) commandLine += L" \"" + arg + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    nul_ = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (redirect) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = startup.hStdOutput = startup.hStdError = nul_;
    }
    started_ = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, redirect, 0, nullptr,
                              nullptr, &startup, &process_) != 0;
  }
  ~WindowProgram() {
    if (started_) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    CloseHandle(nul_);
  }
  WindowProgram(const WindowProgram&) = delete;
  WindowProgram& operator=(const WindowProgram&) = delete;

  // A visible top-level window of the program titled "Quarrow"; null if the program ended first or
  // none came.
  HWND WaitForWindow() {
    HWND found = nullptr;
    WaitUntil([&] {
      if (!started_ || WaitForSingleObject(process_.hProcess, 0) != WAIT_TIMEOUT) return true;
      struct Search {
        DWORD pid;
        HWND window;
      } search{process_.dwProcessId, nullptr};
      EnumWindows(
          [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if (pid != s->pid || !IsWindowVisible(window) || std::wstring(title) != L"Quarrow") return TRUE;
            s->window = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      found = search.window;
      return found != nullptr;
    });
    return found;
  }
  // The exit status, or -1 if the program is still running after the wait.
  int WaitForExit() {
    if (!started_ || WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  HANDLE nul_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

// Started from a Command Prompt or Explorer, a window program's standard error goes nowhere: the
// error is shown in a box, the exit status kept. The file's folder is named in Cyrillic, which the
// window program's name handling must carry through whole.
TEST(WindowCommandLine, WithNoOneReadingStandardErrorAnErrorShowsInABox) {
  TempFolder folder;
  const fs::path missing = folder / "Папка" / "chip.prm";
  WindowProgram program(QUARROW_APP_PATH, {L"--simulate-image", missing.wstring()}, false);
  const HWND box = program.WaitForWindow();
  ASSERT_NE(box, nullptr) << "no box";
  wchar_t className[16] = {};
  GetClassNameW(box, className, 16);
  EXPECT_EQ(std::wstring(className), L"#32770");  // a message box, not the main window
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's text control
  EXPECT_NE(std::wstring(text).find(L"Can't open file - " + missing.wstring() + L": "), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.WaitForExit(), 3);
}

TEST(WindowCommandLine, AChipFileInAFolderNamedInCyrillicOpensTheWindow) {
  TempFolder folder;
  fs::create_directory(folder / "Папка");
  const fs::path chip = folder / "Папка" / "chip.prm";
  WriteFileBytes(chip, Bytes(16, 0x5A));
  WindowProgram program(QUARROW_APP_PATH, {L"--simulate-image", chip.wstring()}, true);
  const HWND window = program.WaitForWindow();
  ASSERT_NE(window, nullptr) << "exit status " << program.WaitForExit();
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// The window connects through ftd2xx.dll (the test stand-in beside a copy of the program, logging
// its calls) and, when closed, closes the programmer before the library is unloaded.
TEST(WindowCommandLine, ClosingTheWindowClosesTheProgrammer) {
  TempFolder folder;
  fs::copy_file(QUARROW_APP_PATH, folder / "quarrow.exe");
  fs::copy_file(QUARROW_TEST_FTD2XX, folder / "ftd2xx.dll");
  const fs::path log = folder / "calls.log";
  SetEnvironmentVariableW(L"QUARROW_TEST_CALL_LOG", log.c_str());
  WindowProgram program(folder / "quarrow.exe", {}, true);
  SetEnvironmentVariableW(L"QUARROW_TEST_CALL_LOG", nullptr);
  const HWND window = program.WaitForWindow();
  ASSERT_NE(window, nullptr);
  auto calls = [&] {
    const Bytes bytes = fs::exists(log) ? ReadFileBytes(log) : Bytes();
    return std::string(bytes.begin(), bytes.end());
  };
  // Enter in the device list, which has the focus at start, connects to the chosen programmer.
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(window, WM_CHAR, L'\r', 0x001C0001);
  PostMessageW(window, WM_KEYUP, VK_RETURN, 0xC01C0001);
  ASSERT_TRUE(WaitUntil([&] { return calls().find("FT_OpenEx\n") != std::string::npos; })) << calls();
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  const std::string made = calls();
  EXPECT_NE(made.find("FT_Close\n", made.find("FT_OpenEx\n")), std::string::npos) << made;
}
#endif

}  // namespace
}  // namespace quarrow::testing
