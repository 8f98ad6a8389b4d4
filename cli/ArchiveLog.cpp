// SPDX-License-Identifier: GPL-3.0-or-later
// Appending to the archive log, with the system's own append mode: each line reaches the file in one
// write at its end, even with another program appending too.
#include "ArchiveLog.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <ctime>

#include "PrintableText.h"
#ifdef _WIN32
#include "WindowsErrorText.h"
#endif

namespace quarrow::cli {

std::string UtcTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

bool ArchiveLog::Append(const ArchiveLogEntry& entry, std::string& error) {
  std::string line;
  for (const std::string* field : {&entry.time, &entry.serial, &entry.file, &entry.set,
                                   &entry.crc32, &entry.sha1, &entry.result}) {
    if (!line.empty()) line += '\t';
    line += PrintableText(*field);
  }
  return Write(line + '\n', error);
}

#ifdef _WIN32

std::unique_ptr<ArchiveLog> ArchiveLog::Open(const std::filesystem::path& path, std::string& error) {
  // FILE_APPEND_DATA alone: every write goes to the end of the file, as O_APPEND does.
  HANDLE handle = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = WindowsErrorReason(GetLastError());
    return nullptr;
  }
  std::unique_ptr<ArchiveLog> log(new ArchiveLog);
  log->handle_ = handle;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(handle, &size) && size.QuadPart == 0 && !log->Write(kArchiveLogHeader, error)) {
    return nullptr;
  }
  return log;
}

ArchiveLog::~ArchiveLog() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

bool ArchiveLog::Write(const std::string& line, std::string& error) {
  DWORD written = 0;
  if (!WriteFile(static_cast<HANDLE>(handle_), line.data(), static_cast<DWORD>(line.size()),
                 &written, nullptr) ||
      written != line.size()) {
    error = WindowsErrorReason(GetLastError());
    return false;
  }
  FlushFileBuffers(static_cast<HANDLE>(handle_));
  return true;
}

#else

std::unique_ptr<ArchiveLog> ArchiveLog::Open(const std::filesystem::path& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<ArchiveLog> log(new ArchiveLog);
  log->fd_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "it is not a regular file";
    return nullptr;
  }
  if (info.st_size == 0 && !log->Write(kArchiveLogHeader, error)) return nullptr;
  return log;
}

ArchiveLog::~ArchiveLog() {
  if (fd_ >= 0) ::close(fd_);
}

bool ArchiveLog::Write(const std::string& line, std::string& error) {
  // One write: a line is never split around another writer's, nor cut by a signal between parts.
  ssize_t n;
  do {
    n = ::write(fd_, line.data(), line.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0 || static_cast<std::size_t>(n) != line.size()) {
    error = n < 0 ? std::strerror(errno) : "the disk took only part of the line";
    return false;
  }
  ::fdatasync(fd_);
  return true;
}

#endif

}  // namespace quarrow::cli
