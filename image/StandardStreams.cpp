// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardStreams.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quarrow {

namespace {
bool g_standardOutputWasClosed = false;
}  // namespace

void OpenClosedStandardStreams() noexcept {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) g_standardOutputWasClosed = true;
    // The lowest free number: this one, since those below it are open by now.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
#endif
}

bool StandardOutputWasClosed() noexcept { return g_standardOutputWasClosed; }

}  // namespace quarrow
