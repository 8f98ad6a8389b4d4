// SPDX-License-Identifier: GPL-3.0-or-later
// Runs quarrow-cli as a child process with CreateProcessW.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "CliRunner.h"

namespace quarrow::testing {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// One argument as CommandLineToArgvW will split it back out: quoted, with backslashes doubled
// where they come before a quote.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

// Reads a captured stream, with the C runtime's "\r\n" line ends given back as "\n".
std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  }
  return result;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {
    if (handle_ == INVALID_HANDLE_VALUE || handle_ == nullptr) throw std::runtime_error("cannot open");
  }
  ~Handle() { CloseHandle(handle_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE Inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath,
              const std::filesystem::path& program) {
  TempFolder capture;
  const std::filesystem::path outPath =
      stdoutPath.empty() ? capture / "out" : std::filesystem::path(Wide(stdoutPath));
  const std::filesystem::path errPath = capture / "err";
  const std::filesystem::path exe = program.empty() ? std::filesystem::path(Wide(QUARROW_CLI_PATH)) : program;

  std::wstring commandLine = Quoted(exe.wstring());
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));

  CliRun run;
  {
    Handle in(Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING));
    Handle out(Inheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS));
    Handle err(Inheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION process{};
    // Under Wine on a loaded machine a start now and then fails for no reason of the program's
    // (seen once in some hundreds of starts); a second try tells such a hiccup from a real fault.
    DWORD startError = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         nullptr, &startup, &process)) {
        startError = 0;
        break;
      }
      startError = GetLastError();
      Sleep(200);
    }
    if (startError != 0) {
      throw std::runtime_error("cannot start " + exe.string() + " (error " +
                               std::to_string(startError) + ")");
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) run.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (stdoutPath.empty()) run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  return run;
}

}  // namespace quarrow::testing
