// SPDX-License-Identifier: GPL-3.0-or-later
// Appending to the archive log, with the system's own append mode: each line reaches the file at
// its end, in one write unless the disk takes only part of it, even with another program appending
// too.
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

#include "RegularFile.h"
#endif

#include <cstdint>
#include <ctime>

#include "Texts.h"
#include "PrintableText.h"
#ifdef _WIN32
#include "WindowsErrorText.h"
#endif

namespace quarrow::cli {

namespace {

// Enough for either header's first line.
constexpr std::size_t kHeaderProbe = 128;

}  // namespace

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

bool ArchiveLog::Start(std::string& error) {
  std::string first;
  if (!ReadAt(0, kHeaderProbe, first, error)) return false;
  if (first.empty()) return Write(kArchiveLogHeader, error);
  const std::string oldHeader = kArchiveLogHeaderWithoutNote;
  hasNoteColumn_ = first.substr(0, first.find('\n')) != oldHeader.substr(0, oldHeader.size() - 1);
  return true;
}

bool ArchiveLog::Append(const ArchiveLogEntry& entry, std::string& error) {
  std::string line;
  for (const std::string* field : {&entry.time, &entry.serial, &entry.file, &entry.set,
                                   &entry.crc32, &entry.sha1, &entry.result}) {
    if (!line.empty()) line += '\t';
    line += PrintableText(*field);
  }
  if (hasNoteColumn_) line += '\t' + PrintableText(entry.note);
  std::uint64_t size = 0;
  std::string last;
  if (!Size(size, error) || (size > 0 && !ReadAt(size - 1, 1, last, error))) return false;
  if (size > 0 && last != "\n") line.insert(0, 1, '\n');
  return Write(line + '\n', error);
}

#ifdef _WIN32

std::unique_ptr<ArchiveLog> ArchiveLog::Open(const std::filesystem::path& path, std::string& error) {
  // The link itself is opened, not what it names, so that it can be refused.
  HANDLE handle = CreateFileW(path.c_str(), FILE_READ_DATA | FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = WindowsErrorReason(GetLastError());
    return nullptr;
  }
  std::unique_ptr<ArchiveLog> log(new ArchiveLog);
  log->handle_ = handle;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) {
    error = WindowsErrorReason(GetLastError());
    return nullptr;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    error = res::kArchiveLogIsALink;
    return nullptr;
  }
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = res::kArchiveLogNotRegular;
    return nullptr;
  }
  if (!log->Start(error)) return nullptr;
  return log;
}

ArchiveLog::~ArchiveLog() {
  if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

bool ArchiveLog::Size(std::uint64_t& size, std::string& error) {
  LARGE_INTEGER large{};
  if (!GetFileSizeEx(static_cast<HANDLE>(handle_), &large)) {
    error = WindowsErrorReason(GetLastError());
    return false;
  }
  size = static_cast<std::uint64_t>(large.QuadPart);
  return true;
}

bool ArchiveLog::ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes,
                        std::string& error) {
  bytes.assign(count, '\0');
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(count), &got, &at) &&
      GetLastError() != ERROR_HANDLE_EOF) {
    error = WindowsErrorReason(GetLastError());
    return false;
  }
  bytes.resize(got);
  return true;
}

bool ArchiveLog::Write(const std::string& line, std::string& error) {
  // An offset of all ones writes at the end of the file, as FILE_APPEND_DATA alone would.
  OVERLAPPED atEnd{};
  atEnd.Offset = 0xFFFFFFFF;
  atEnd.OffsetHigh = 0xFFFFFFFF;
  DWORD written = 0;
  if (!WriteFile(static_cast<HANDLE>(handle_), line.data(), static_cast<DWORD>(line.size()),
                 &written, &atEnd) ||
      written != line.size()) {
    error = WindowsErrorReason(GetLastError());
    return false;
  }
  FlushFileBuffers(static_cast<HANDLE>(handle_));
  return true;
}

#else

std::unique_ptr<ArchiveLog> ArchiveLog::Open(const std::filesystem::path& path, std::string& error) {
  // O_NOFOLLOW refuses a link; a FIFO without a reader fails at once (ENXIO), with one it is
  // refused as any file that is not a regular one.
  const RegularFileOpen opened =
      OpenRegularFile(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
  if (opened.fd < 0) {
    error = opened.error == ELOOP                          ? res::kArchiveLogIsALink
            : opened.error == ENXIO || opened.error == 0 ? res::kArchiveLogNotRegular
                                                         : std::strerror(opened.error);
    return nullptr;
  }
  std::unique_ptr<ArchiveLog> log(new ArchiveLog);
  log->fd_ = opened.fd;
  if (!log->Start(error)) return nullptr;
  return log;
}

ArchiveLog::~ArchiveLog() {
  if (fd_ >= 0) ::close(fd_);
}

bool ArchiveLog::Size(std::uint64_t& size, std::string& error) {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    error = std::strerror(errno);
    return false;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ArchiveLog::ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes,
                        std::string& error) {
  bytes.assign(count, '\0');
  ssize_t n;
  do {
    n = ::pread(fd_, bytes.data(), count, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    error = std::strerror(errno);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(n));
  return true;
}

bool ArchiveLog::Write(const std::string& line, std::string& error) {
  // One write as a rule: a line is never split around another writer's, nor cut by a signal between
  // parts. A disk that takes only part of it is asked for the rest, which either lands or says why
  // not; then the part already written is cut off again, so the next record starts a line of its
  // own.
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    error = n < 0 ? std::strerror(errno) : res::kArchiveLogDiskTookNothing;
    // With O_APPEND the offset is just past this record's last byte.
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (written > 0 && end >= static_cast<off_t>(written)) {
      if (::ftruncate(fd_, end - static_cast<off_t>(written)) != 0) {
        error += res::kArchiveLogPartLeft;
      }
    }
    return false;
  }
  ::fdatasync(fd_);
  return true;
}

#endif

}  // namespace quarrow::cli
