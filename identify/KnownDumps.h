// SPDX-License-Identifier: GPL-3.0-or-later
// The table of RP5H01 dumps that MAME knows: one row per game set, with the CRC32 and SHA-1 of its
// 16-byte file and the layout that file is in. Read from tab-separated text (res/known-rp5h01.tsv
// is built into the programs; a newer file of the same format can be given at run time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Hashes.h"
#include "ImageFile.h"

namespace quarrow {

// The environment variable both programs read for a table to use instead of the built-in one.
inline constexpr const char* kKnownDumpsVariable = "QUARROW_KNOWN_DUMPS";

struct KnownDump {
  std::string driver;  // MAME source file, e.g. src/mame/nintendo/playch10.cpp
  std::string set;     // e.g. pc_smb
  std::string parent;
  std::string title;
  std::string year;
  std::string manufacturer;
  std::string romName;
  ImageHashes hashes;  // both empty when MAME has no dump of the set
  // Mame: the file is in MAME's layout; Nss: the raw layout, pin levels as clocked out.
  ImageFileLayout layout = ImageFileLayout::Mame;
  std::string flags;

  bool HasDump() const { return !hashes.sha1.empty(); }
};

class KnownDumpTable {
 public:
  KnownDumpTable() = default;
  explicit KnownDumpTable(std::vector<KnownDump> rows);

  const std::vector<KnownDump>& Rows() const { return rows_; }
  // Distinct dumps: rows with the same layout and hashes (one file under several sets) count once.
  std::size_t DumpCount() const { return dumpCount_; }
  // The rows of `layout` whose CRC32 and SHA-1 both equal `hashes`, in table order.
  std::vector<KnownDump> Find(ImageFileLayout layout, const ImageHashes& hashes) const;

 private:
  std::vector<KnownDump> rows_;
  std::size_t dumpCount_ = 0;
};

// What keeps a table from being used, as a value: the edge says it in words (KnownDumpsText.h).
struct TableProblem {
  enum class Kind {
    // The file itself; `reason` holds the system's words where it gave any.
    CantReadStatus,
    NotARegularFile,
    TooLarge,  // `count` bytes
    CantOpen,
    CantRead,
    // The text, at `line` (1 is the header).
    EmptyHeader,
    ColumnTwice,       // `value` names the column
    ColumnMissing,     // `value` names the required column
    FieldCount,        // `count` fields where the header names `expected`
    EmptySet,
    UnusableRomName,   // `value` is the field as found
    HashesHalfGiven,
    BadCrc32,          // `value` is the field as found
    BadSha1,           // `value` is the field as found
    BadLayout,         // `value` is the field as found
    NoDumps,
  };
  Kind kind = Kind::NoDumps;
  std::string source;    // the file as given, in UTF-8, or the built-in table's file name
  bool builtIn = false;  // the table built into the program
  std::size_t line = 0;  // 0 for a problem of the file itself
  std::string value;     // outside text: the edge quotes it
  std::uintmax_t count = 0;
  std::size_t expected = 0;
  std::string reason;
};

// Parses the text of a table. On failure returns nothing and `problem` says what is wrong on which
// line of `source`.
std::optional<KnownDumpTable> ParseKnownDumps(std::string_view text, const std::string& source,
                                              TableProblem& problem);

// Reads and parses a table file; the problems name the file as given, in UTF-8.
std::optional<KnownDumpTable> LoadKnownDumps(const std::filesystem::path& path, TableProblem& problem);

// The file named by QUARROW_KNOWN_DUMPS, or empty when it is unset or empty. Read as the system
// spells names (UTF-16 on Windows), so that any file name gets through.
std::filesystem::path KnownDumpsPathFromEnvironment();

// The table built into the program from res/known-rp5h01.tsv.
std::optional<KnownDumpTable> BuiltInKnownDumps(TableProblem& problem);

}  // namespace quarrow
