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

#include "PrintableText.h"

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

std::string Quoted(std::string_view field) { return QuotedExcerpt(field); }

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

std::optional<KnownDumpTable> ParseKnownDumps(std::string_view text, const std::string& source,
                                              std::string& error) {
  std::size_t lineNumber = 0;
  auto fail = [&](const std::string& what) -> std::optional<KnownDumpTable> {
    error = source + ":" + std::to_string(lineNumber) + ": " + what;
    return std::nullopt;
  };

  // Spreadsheets like to start UTF-8 text with a byte-order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  std::map<std::string, std::size_t, std::less<>> column;
  std::size_t columnCount = 0;
  std::vector<KnownDump> rows;
  while (!text.empty() || lineNumber == 0) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    ++lineNumber;

    if (lineNumber == 1) {
      if (line.empty()) {
        return fail(
            "the first line must be the header naming the columns (set, title, crc32, sha1, "
            "layout, ...), but it is empty");
      }
      const std::vector<std::string_view> names = SplitTabs(line);
      columnCount = names.size();
      for (std::size_t i = 0; i < names.size(); ++i) {
        // Two columns of one name would leave it to chance which of them a row's value comes from.
        if (!column.emplace(std::string(names[i]), i).second) {
          return fail("the header line names column " + Quoted(names[i]) + " twice");
        }
      }
      for (const char* name : kRequiredColumns) {
        if (!column.contains(name)) {
          return fail("the header line has no column '" + std::string(name) +
                      "' - is this a tab-separated table of known RP5H01 dumps?");
        }
      }
      continue;
    }
    if (line.empty()) continue;

    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields.size() != columnCount) {
      return fail(std::to_string(fields.size()) + " fields where the header names " +
                  std::to_string(columnCount) + " (fields are separated by tabs)");
    }
    auto field = [&](const char* name) -> std::string_view {
      const auto it = column.find(name);
      return it == column.end() ? std::string_view{} : fields[it->second];
    };

    KnownDump row;
    row.set = field("set");
    if (row.set.empty()) return fail("the set name is empty");
    row.driver = field("driver");
    row.parent = field("parent");
    row.title = field("title");
    row.year = field("year");
    row.manufacturer = field("manufacturer");
    row.romName = field("rom_name");
    if (column.contains("rom_name") && !UsableRomName(row.romName)) {
      return fail("rom_name " + Quoted(row.romName) +
                  " is no name MAME's ROM lists can hold (empty, blank, or with a quote, backslash "
                  "or control character)");
    }
    row.flags = field("flags");

    const std::string_view crc = field("crc32");
    const std::string_view sha1 = field("sha1");
    if (crc.empty() != sha1.empty()) {
      return fail("crc32 and sha1 must both be given, or both be empty for a set without a dump");
    }
    if (!crc.empty()) {
      row.hashes.crc32 = LowerHexOrEmpty(crc, 8);
      if (row.hashes.crc32.empty()) {
        return fail("crc32 " + Quoted(crc) + " is not 8 hexadecimal digits");
      }
      row.hashes.sha1 = LowerHexOrEmpty(sha1, 40);
      if (row.hashes.sha1.empty()) {
        return fail("sha1 " + Quoted(sha1) + " is not 40 hexadecimal digits");
      }
    }

    const std::string_view layout = field("layout");
    if (layout == "mame") {
      row.layout = ImageFileLayout::Mame;
    } else if (layout == "raw") {
      row.layout = ImageFileLayout::Nss;
    } else {
      return fail("layout " + Quoted(layout) + " is neither mame nor raw");
    }
    rows.push_back(std::move(row));
  }

  if (std::none_of(rows.begin(), rows.end(), [](const KnownDump& row) { return row.HasDump(); })) {
    // The header says what the rows should hold; the missing rows have no line of their own.
    lineNumber = 1;
    return fail("the table lists no dumps (no row has a crc32 and sha1)");
  }
  return KnownDumpTable(std::move(rows));
}

std::optional<KnownDumpTable> LoadKnownDumps(const std::filesystem::path& path,
                                             std::string& error) {
  // In UTF-8 whatever the system's code page: a name outside it would not survive string().
  const std::u8string spelled = path.u8string();
  const std::string name(spelled.begin(), spelled.end());
  std::error_code status;
  const std::filesystem::file_status kind = std::filesystem::status(path, status);
  if (status) {
    error = name + ": " + status.message();
    return std::nullopt;
  }
  // A FIFO or device would block the read or never end.
  if (!std::filesystem::is_regular_file(kind)) {
    error = name + ": not a regular file";
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, status);
  if (!status && size > kMaxTableBytes) {
    error = name + ": " + std::to_string(size) + " bytes, far too large for a table of known dumps";
    return std::nullopt;
  }

  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = name + ": " + (errno != 0 ? std::generic_category().message(errno) : "can't be opened");
    return std::nullopt;
  }
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) {
    error = name + ": can't be read";
    return std::nullopt;
  }
  return ParseKnownDumps(text, name, error);
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

std::optional<KnownDumpTable> BuiltInKnownDumps(std::string& error) {
  const std::string_view text(reinterpret_cast<const char*>(generated::kKnownDumpsTsv),
                              generated::kKnownDumpsTsvSize);
  return ParseKnownDumps(text, "known-rp5h01.tsv (built in)", error);
}

}  // namespace quarrow
