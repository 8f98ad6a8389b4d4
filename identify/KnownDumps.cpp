// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the table of known dumps: tab-separated text, columns found by name in the header line.
#include "KnownDumps.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>
#include <tuple>


namespace quarrow {

// The shipped table's bytes, written at build time from res/known-rp5h01.tsv.
namespace generated {
extern const unsigned char kKnownDumpsTsv[];
extern const std::size_t kKnownDumpsTsvSize;
}  // namespace generated

namespace {

// The shipped table is about 15 KiB; anything much larger is not a table of RP5H01 dumps, and
// reading it whole would only cost memory.
constexpr std::uintmax_t kMaxTableBytes = 4u << 20;

// driver, parent, rom_name and flags are read when present.
constexpr const char* kRequiredColumns[] = {"set",   "title", "year",  "manufacturer",
                                            "crc32", "sha1",  "layout"};

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

std::string LowerHexOrEmpty(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return {};
  std::string lower;
  for (char c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return {};
    lower += c;
  }
  return lower;
}

// A name MAME's ROM lists can hold between their double quotes: no quote, backslash or control
// character, and not empty or blank.
bool UsableRomName(std::string_view name) {
  if (name.find_first_not_of(" ") == std::string_view::npos) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '"' || c == '\\' || byte < 0x20 || byte == 0x7F;
  });
}

}  // namespace

KnownDumpTable::KnownDumpTable(std::vector<KnownDump> rows) : rows_(std::move(rows)) {
  std::set<std::tuple<ImageFileLayout, std::string, std::string>> dumps;
  for (const KnownDump& row : rows_) {
    if (row.HasDump()) dumps.emplace(row.layout, row.hashes.crc32, row.hashes.sha1);
  }
  dumpCount_ = dumps.size();
}

std::vector<KnownDump> KnownDumpTable::Find(ImageFileLayout layout,
                                            const ImageHashes& hashes) const {
  std::vector<KnownDump> found;
  for (const KnownDump& row : rows_) {
    if (!row.HasDump() || row.layout != layout || row.hashes != hashes) continue;
    // A table merged from two sources may list one set twice; it is still one set.
    const bool listed = std::any_of(found.begin(), found.end(),
                                    [&](const KnownDump& earlier) { return earlier.set == row.set; });
    if (!listed) found.push_back(row);
  }
  return found;
}

namespace {

using Kind = TableProblem::Kind;

// The header line's columns, by name.
struct TableHeader {
  std::map<std::string, std::size_t, std::less<>> column;
  std::size_t columnCount = 0;
};

// Kind and value of a problem found on a line; the caller adds where.
std::optional<TableProblem> Problem(Kind kind, std::string_view value = {}) {
  TableProblem problem;
  problem.kind = kind;
  problem.value = value;
  return problem;
}

std::optional<TableProblem> ReadHeader(std::string_view line, TableHeader& header) {
  if (line.empty()) return Problem(Kind::EmptyHeader);
  const std::vector<std::string_view> names = SplitTabs(line);
  header.columnCount = names.size();
  for (std::size_t i = 0; i < names.size(); ++i) {
    // Two columns of one name would leave it to chance which of them a row's value comes from.
    if (!header.column.emplace(std::string(names[i]), i).second) return Problem(Kind::ColumnTwice, names[i]);
  }
  for (const char* name : kRequiredColumns) {
    if (!header.column.contains(name)) return Problem(Kind::ColumnMissing, name);
  }
  return std::nullopt;
}

// The hashes and layout of a row, which say where its file is found.
std::optional<TableProblem> ReadDumpFields(std::string_view crc, std::string_view sha1, std::string_view layout,
                                           KnownDump& row) {
  if (crc.empty() != sha1.empty()) return Problem(Kind::HashesHalfGiven);
  if (!crc.empty()) {
    row.hashes.crc32 = LowerHexOrEmpty(crc, 8);
    if (row.hashes.crc32.empty()) return Problem(Kind::BadCrc32, crc);
    row.hashes.sha1 = LowerHexOrEmpty(sha1, 40);
    if (row.hashes.sha1.empty()) return Problem(Kind::BadSha1, sha1);
  }
  if (layout == "mame") {
    row.layout = ImageFileLayout::Mame;
  } else if (layout == "raw") {
    row.layout = ImageFileLayout::Nss;
  } else {
    return Problem(Kind::BadLayout, layout);
  }
  return std::nullopt;
}

std::optional<TableProblem> ReadRow(std::string_view line, const TableHeader& header, KnownDump& row) {
  const std::vector<std::string_view> fields = SplitTabs(line);
  if (fields.size() != header.columnCount) {
    std::optional<TableProblem> problem = Problem(Kind::FieldCount);
    problem->count = fields.size();
    problem->expected = header.columnCount;
    return problem;
  }
  auto field = [&](const char* name) -> std::string_view {
    const auto it = header.column.find(name);
    return it == header.column.end() ? std::string_view{} : fields[it->second];
  };
  row.set = field("set");
  if (row.set.empty()) return Problem(Kind::EmptySet);
  row.driver = field("driver");
  row.parent = field("parent");
  row.title = field("title");
  row.year = field("year");
  row.manufacturer = field("manufacturer");
  row.romName = field("rom_name");
  if (header.column.contains("rom_name") && !UsableRomName(row.romName)) {
    return Problem(Kind::UnusableRomName, row.romName);
  }
  row.flags = field("flags");
  return ReadDumpFields(field("crc32"), field("sha1"), field("layout"), row);
}

}  // namespace

std::optional<KnownDumpTable> ParseKnownDumps(std::string_view text, const std::string& source,
                                              TableProblem& problem) {
  std::size_t lineNumber = 0;
  auto fail = [&](std::optional<TableProblem> found) -> std::optional<KnownDumpTable> {
    problem = std::move(*found);
    problem.source = source;
    problem.line = lineNumber;
    return std::nullopt;
  };

  // Spreadsheets like to start UTF-8 text with a byte-order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  TableHeader header;
  std::vector<KnownDump> rows;
  while (!text.empty() || lineNumber == 0) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    ++lineNumber;

    if (lineNumber == 1) {
      if (std::optional<TableProblem> found = ReadHeader(line, header)) return fail(std::move(found));
      continue;
    }
    if (line.empty()) continue;
    KnownDump row;
    if (std::optional<TableProblem> found = ReadRow(line, header, row)) return fail(std::move(found));
    rows.push_back(std::move(row));
  }

  if (std::none_of(rows.begin(), rows.end(), [](const KnownDump& row) { return row.HasDump(); })) {
    // The header says what the rows should hold; the missing rows have no line of their own.
    lineNumber = 1;
    return fail(Problem(Kind::NoDumps));
  }
  return KnownDumpTable(std::move(rows));
}

std::optional<KnownDumpTable> LoadKnownDumps(const std::filesystem::path& path, TableProblem& problem) {
  // In UTF-8 whatever the system's code page: a name outside it would not survive string().
  const std::u8string spelled = path.u8string();
  const std::string name(spelled.begin(), spelled.end());
  problem = TableProblem{};
  problem.source = name;
  auto fail = [&](Kind kind, std::string reason = {}) -> std::optional<KnownDumpTable> {
    problem.kind = kind;
    problem.reason = std::move(reason);
    return std::nullopt;
  };
  std::error_code status;
  const std::filesystem::file_status kind = std::filesystem::status(path, status);
  if (status) return fail(Kind::CantReadStatus, status.message());
  // A FIFO or device would block the read or never end.
  if (!std::filesystem::is_regular_file(kind)) return fail(Kind::NotARegularFile);
  const std::uintmax_t size = std::filesystem::file_size(path, status);
  if (!status && size > kMaxTableBytes) {
    problem.count = size;
    return fail(Kind::TooLarge);
  }

  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(Kind::CantOpen, errno != 0 ? std::generic_category().message(errno) : std::string());
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) return fail(Kind::CantRead);
  return ParseKnownDumps(text, name, problem);
}

std::filesystem::path KnownDumpsPathFromEnvironment() {
#ifdef _WIN32
  // getenv gives the ANSI code page's rendering, in which a Cyrillic name is lost on a Western
  // system.
  std::wstring variable(kKnownDumpsVariable, kKnownDumpsVariable + std::strlen(kKnownDumpsVariable));
  const wchar_t* value = _wgetenv(variable.c_str());
#else
  const char* value = std::getenv(kKnownDumpsVariable);
#endif
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::optional<KnownDumpTable> BuiltInKnownDumps(TableProblem& problem) {
  const std::string_view text(reinterpret_cast<const char*>(generated::kKnownDumpsTsv),
                              generated::kKnownDumpsTsvSize);
  std::optional<KnownDumpTable> table = ParseKnownDumps(text, "known-rp5h01.tsv", problem);
  problem.builtIn = !table;
  return table;
}

}  // namespace quarrow
