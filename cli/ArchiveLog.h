// SPDX-License-Identifier: GPL-3.0-or-later
// The archive's log, DIR/archive.tsv: one tab-separated line per chip, appended with a single write
// and forced to disk, so that a crash or Ctrl-C between chips (or during one) never leaves half a
// line, and every file a line names was saved before the line was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quarrow::cli {

inline constexpr const char* kArchiveLogName = "archive.tsv";
inline constexpr const char* kArchiveLogHeader =
    "time\tprogrammer\tfile\tset\tcrc32\tsha1\tresult\tnote\n";
// The header of logs written before the note column: their records keep its seven columns.
inline constexpr const char* kArchiveLogHeaderWithoutNote =
    "time\tprogrammer\tfile\tset\tcrc32\tsha1\tresult\n";

struct ArchiveLogEntry {
  std::string time;    // ISO 8601, UTC
  std::string serial;  // the programmer's
  std::string file;    // empty when nothing was archived
  std::string set;     // or "unknown"
  std::string crc32;   // of the file
  std::string sha1;
  std::string result;  // archived, already archived, broken: ..., near miss: ..., read failed, ...
  std::string note;    // the line typed at the prompt: a cart's label, a board's serial
};

class ArchiveLog {
 public:
  // Opens the log for appending, creating it with its header line when it is new (or was left
  // empty). Only a regular file is taken: a symbolic link could send the lines out of the folder,
  // and a FIFO would hold the archive before its first prompt. Nothing, with `error` set, when that
  // fails.
  static std::unique_ptr<ArchiveLog> Open(const std::filesystem::path& path, std::string& error);
  ~ArchiveLog();
  ArchiveLog(const ArchiveLog&) = delete;
  ArchiveLog& operator=(const ArchiveLog&) = delete;

  // Fields are written as given, with tabs and line breaks in them escaped (PrintableText). A last
  // line left without its line break (a cut write, a hand edit) gets one first, and a record the
  // disk takes only in part is cut off again, so that two records never merge into one line.
  bool Append(const ArchiveLogEntry& entry, std::string& error);

  // False for a log begun before the note column: its records are written without the note, so
  // that its columns stay as its header names them.
  bool HasNoteColumn() const { return hasNoteColumn_; }

 private:
  ArchiveLog() = default;
  // Reads the header (writing it into an empty log) and whether the last line is whole.
  bool Start(std::string& error);
  bool Size(std::uint64_t& size, std::string& error);
  // Up to `count` bytes from `offset`; fewer at the end of the file.
  bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, std::string& error);
  bool Write(const std::string& line, std::string& error);
  bool hasNoteColumn_ = true;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// The current time as 2026-01-31T12:34:56Z.
std::string UtcTimestamp();

}  // namespace quarrow::cli
