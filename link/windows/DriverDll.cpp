// SPDX-License-Identifier: GPL-3.0-or-later
// Where a driver library may come from, and how its absence, a broken copy or a missing call is
// told apart, so that the person is told the one fix that helps.
#include "DriverDll.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "WindowsErrorText.h"

namespace quarrow {

namespace {

std::wstring ModuleFile(HMODULE module) {
  std::wstring file(32768, L'\0');
  file.resize(GetModuleFileNameW(module, file.data(), static_cast<DWORD>(file.size())));
  return file;
}

// The folder the program was started from, with a trailing separator.
std::wstring ProgramFolder() {
  const std::wstring file = ModuleFile(nullptr);
  return file.substr(0, file.find_last_of(L"\\/") + 1);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

DriverDll::DriverDll(const wchar_t* file, const char* family) : file_(file) {
  error_.family = family;
  const std::string name = Utf8(file_);
  // The driver's installer puts the library into the system folder; a copy beside the program
  // also counts. The current folder and PATH do not: a stray copy in a download folder would
  // otherwise run with the program's rights.
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module) {
    module_ = module;
    return;
  }
  const DWORD error = GetLastError();
  const std::wstring besideProgram = ProgramFolder() + file_;
  error_.words = WindowsErrorReason(error, name);
  if (error != ERROR_MOD_NOT_FOUND && FileExists(besideProgram)) {
    error_.problem = ProgrammerProblem::DriverCopyBroken;
    error_.subject = Utf8(besideProgram);
  } else {
    error_.problem = ProgrammerProblem::DriverMissing;
    error_.subject = name;
  }
}

DriverDll::~DriverDll() {
  if (module_) FreeLibrary(static_cast<HMODULE>(module_));
}

void* DriverDll::Find(const char* call) {
  if (!module_) return nullptr;
  HMODULE module = static_cast<HMODULE>(module_);
  if (void* function = reinterpret_cast<void*>(GetProcAddress(module, call))) return function;
  const DWORD error = GetLastError();
  // Which copy was loaded: an old one beside the program may hide a current one in the system.
  const std::wstring loaded = ModuleFile(module);
  error_.problem = SameFile(loaded, ProgramFolder() + file_) ? ProgrammerProblem::DriverIncomplete
                                                              : ProgrammerProblem::DriverOutdated;
  error_.subject = Utf8(loaded);
  error_.words = std::string(call) + " (" + WindowsErrorReason(error, Utf8(file_)) + ")";
  FreeLibrary(module);
  module_ = nullptr;
  return nullptr;
}

}  // namespace quarrow
