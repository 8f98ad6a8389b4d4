// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsErrorText.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace quarrow {

std::string WindowsErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) {
    // UTF-8 whatever the system's code page: a German or Russian system's words arrive intact.
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    reason.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), size, nullptr,
                        nullptr);
  }
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason;
}

std::string WindowsErrorReason(unsigned long error) {
  const std::string text = WindowsErrorText(error);
  return (text.empty() ? "" : text + ", ") + "Windows error " + std::to_string(error);
}

}  // namespace quarrow
