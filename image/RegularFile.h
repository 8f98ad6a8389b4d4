// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a name only when it is a regular file, without ever waiting: the image files and the
// archive's log refuse FIFOs, devices and folders before reading or writing a byte. POSIX only.
#pragma once

#include <sys/types.h>

#include <filesystem>

namespace quarrow {

struct RegularFileOpen {
  int fd = -1;      // the regular file, open and blocking again; -1 otherwise, and nothing is left open
  int error = 0;    // errno of a failed open or fstat
  mode_t type = 0;  // the file type (S_IFDIR, S_IFIFO, ...) of a name that is no regular file
};

// Opens `path` with `flags` (and `mode` when they create) plus O_NONBLOCK: the open of a FIFO
// without its other end fails at once (ENXIO) rather than wait, with one the type check refuses it,
// and a serial device does not wait for its carrier.
RegularFileOpen OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode = 0666);

}  // namespace quarrow
