// SPDX-License-Identifier: GPL-3.0-or-later
// The command line in UTF-8 and the console the program writes to, as the running system has them.
#pragma once

#include <string>
#include <vector>

namespace quarrow::cli {

// The program's arguments in UTF-8. On Windows, argv holds them in the ANSI code page, which loses
// every character outside it, so they are taken afresh from the system's UTF-16 command line.
class Utf8Arguments {
 public:
  Utf8Arguments(int argc, char** argv);
  Utf8Arguments(const Utf8Arguments&) = delete;
  Utf8Arguments& operator=(const Utf8Arguments&) = delete;
  int argc() const { return static_cast<int>(strings_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;  // into strings_, ending with a null pointer as argv does
};

// Makes the console show the program's UTF-8 output as UTF-8 (Windows); elsewhere it already does.
void UseUtf8Console();

// Whether standard error is a terminal or console window, where a bar redrawn in place belongs;
// not when it is a file, a pipe or the null device.
bool StandardErrorIsConsole();

// Whether standard output is a terminal or console window, where an image's bytes would be noise.
bool StandardOutputIsConsole();

// Makes standard output pass bytes as they are: Windows would turn each 0A into 0D 0A.
void UseBinaryStandardOutput();

// How many characters a line of the terminal or console window on standard error holds; 0 when
// standard error is neither or its width is unknown. Asked afresh each time: windows are resized.
int StandardErrorColumns();

// Whether the file named by the UTF-8 `path` is the one standard output writes to: /dev/stdout, or
// the very file the output is redirected into.
bool NamesStandardOutput(const std::string& path);

}  // namespace quarrow::cli
