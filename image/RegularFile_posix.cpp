// SPDX-License-Identifier: GPL-3.0-or-later
// The open, the type check and the return to blocking reads and writes.
#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quarrow {

RegularFileOpen OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode) {
  RegularFileOpen opened;
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK, mode);
  if (fd < 0) {
    opened.error = errno;
    return opened;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    opened.error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    opened.type = info.st_mode & S_IFMT;
  } else {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opened.fd = fd;
    return opened;
  }
  ::close(fd);
  return opened;
}

}  // namespace quarrow
