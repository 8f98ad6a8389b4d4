// SPDX-License-Identifier: GPL-3.0-or-later
// The archive's log, DIR/archive.tsv: one tab-separated line per chip, appended with a single write
// and forced to disk, so that a crash or Ctrl-C between chips (or during one) never leaves half a
// line, and every file a line names was saved before the line was written.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace quarrow::cli {

inline constexpr const char* kArchiveLogName = "archive.tsv";
inline constexpr const char* kArchiveLogHeader =
    "time\tprogrammer\tfile\tset\tcrc32\tsha1\tresult\n";

struct ArchiveLogEntry {
  std::string time;    // ISO 8601, UTC
  std::string serial;  // the programmer's
  std::string file;    // empty when nothing was archived
  std::string set;     // or "unknown"
  std::string crc32;   // of the file
  std::string sha1;
  std::string result;  // archived, already archived, broken: ..., unstable: N bits, read failed
};

class ArchiveLog {
 public:
  // Opens the log for appending, creating it with its header line when it is new (or was left
  // empty). Nothing, with `error` set, when that fails.
  static std::unique_ptr<ArchiveLog> Open(const std::filesystem::path& path, std::string& error);
  ~ArchiveLog();
  ArchiveLog(const ArchiveLog&) = delete;
  ArchiveLog& operator=(const ArchiveLog&) = delete;

  // Fields are written as given, with tabs and line breaks in them escaped (PrintableText).
  bool Append(const ArchiveLogEntry& entry, std::string& error);

 private:
  ArchiveLog() = default;
  bool Write(const std::string& line, std::string& error);
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// The current time as 2026-01-31T12:34:56Z.
std::string UtcTimestamp();

}  // namespace quarrow::cli
