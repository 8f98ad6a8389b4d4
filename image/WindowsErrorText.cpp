// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowsErrorText.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace quarrow {

namespace {

bool IsDigit(const std::string& text, std::size_t at) {
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

// FormatMessageW fills the inserts (%1 to %99, each perhaps with a !format!) only from arguments,
// which a text for any error code cannot be given; left as they are, they would reach the person.
std::string FillInserts(const std::string& text, const std::string& subject) {
  std::string filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || !IsDigit(text, i + 1) || text[i + 1] == '0') {
      filled += text[i];
      continue;
    }
    std::size_t end = IsDigit(text, i + 2) ? i + 3 : i + 2;
    if (end < text.size() && text[end] == '!') {
      const std::size_t close = text.find('!', end + 1);
      if (close != std::string::npos) end = close + 1;
    }
    filled += subject;
    i = end - 1;
  }
  return filled;
}

}  // namespace

std::string Utf8(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size, nullptr, nullptr);
  return result;
}

std::string WindowsErrorText(unsigned long error, const std::string& subject) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) {
    // UTF-8 whatever the system's code page: a German or Russian system's words arrive intact.
    reason = Utf8(text, length);
  }
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  return FillInserts(reason, subject);
}

std::string WindowsErrorReason(unsigned long error, const std::string& subject) {
  const std::string text = WindowsErrorText(error, subject);
  return (text.empty() ? "" : text + ", ") + "Windows error " + std::to_string(error);
}

}  // namespace quarrow
