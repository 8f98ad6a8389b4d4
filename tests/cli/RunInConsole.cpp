// SPDX-License-Identifier: GPL-3.0-or-later
// For the console Ctrl-C test under Wine: runs a program on this console, its standard input the
// console's keyboard and its output into files; lives through the Ctrl-C typed for the program and
// writes the program's exit status into a file.
// Usage: run-in-console OUT ERR STATUS PROGRAM [ARGUMENT...]
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

BOOL WINAPI IgnoreCtrlC(DWORD) { return TRUE; }

HANDLE CreateOutput(const wchar_t* path) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 5) return 2;
  // Handlers are not inherited: the program still gets the Ctrl-C its own way.
  SetConsoleCtrlHandler(IgnoreCtrlC, TRUE);
  HANDLE out = CreateOutput(argv[1]);
  HANDLE err = CreateOutput(argv[2]);
  if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) return 3;

  std::wstring command;
  for (int i = 4; i < argc; ++i) {
    if (!command.empty()) command += L' ';
    command += L'"' + std::wstring(argv[i]) + L'"';
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION child{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &child)) {
    return 3;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(child.hProcess, &status);
  const std::string text = std::to_string(status) + "\n";
  HANDLE statusFile = CreateOutput(argv[3]);
  DWORD written = 0;
  WriteFile(statusFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(statusFile);
  return 0;
}
