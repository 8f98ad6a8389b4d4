// SPDX-License-Identifier: GPL-3.0-or-later
// The command line and console on POSIX systems: arguments arrive as the bytes typed, UTF-8 here.
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PlatformConsole.h"

namespace quarrow::cli {

Utf8Arguments::Utf8Arguments(int argc, char** argv) : strings_(argv, argv + argc) {
  for (std::string& s : strings_) pointers_.push_back(s.data());
  pointers_.push_back(nullptr);
}

void UseUtf8Console() {}

bool StandardErrorIsConsole() { return ::isatty(STDERR_FILENO) == 1; }

bool StandardOutputIsConsole() { return ::isatty(STDOUT_FILENO) == 1; }

void UseBinaryStandardOutput() {}

int StandardErrorColumns() {
  struct winsize size {};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool NamesStandardOutput(const std::string& path) {
  struct stat named {}, output {};
  if (::stat(path.c_str(), &named) != 0 || ::fstat(STDOUT_FILENO, &output) != 0) return false;
  return named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

}  // namespace quarrow::cli
