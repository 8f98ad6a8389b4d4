// SPDX-License-Identifier: GPL-3.0-or-later
// The system's own words for a Windows error code, for the messages of every layer on Windows.
#pragma once

#ifdef _WIN32
#include <cstddef>
#include <string>

namespace quarrow {

// `length` wide characters of Windows's UTF-16 as UTF-8, whatever the system's code page.
std::string Utf8(const wchar_t* text, std::size_t length);
inline std::string Utf8(const std::wstring& text) { return Utf8(text.data(), text.size()); }

// FormatMessageW's text for `error` in UTF-8, without the trailing full stop and line break; empty
// when the system has no text for it. The places the system leaves for names ("%1 is not a valid
// Win32 application") hold `subject`.
std::string WindowsErrorText(unsigned long error, const std::string& subject = "the file");

// That text followed by ", Windows error N", the number being what one searches for.
std::string WindowsErrorReason(unsigned long error, const std::string& subject = "the file");

}  // namespace quarrow
#endif
