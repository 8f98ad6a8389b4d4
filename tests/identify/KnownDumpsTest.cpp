// SPDX-License-Identifier: GPL-3.0-or-later
// The table reader: what it accepts, how it names a fault, and the table shipped in the programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <string>

#include "KnownDumps.h"
#include "KnownDumpsText.h"

namespace quarrow {
namespace {

// The table's problems as the programs say them.
std::optional<KnownDumpTable> ParseKnownDumps(std::string_view text, const std::string& source, std::string& error) {
  TableProblem problem;
  std::optional<KnownDumpTable> table = quarrow::ParseKnownDumps(text, source, problem);
  if (!table) error = TableProblemText(problem);
  return table;
}

std::optional<KnownDumpTable> LoadKnownDumps(const std::filesystem::path& path, std::string& error) {
  TableProblem problem;
  std::optional<KnownDumpTable> table = quarrow::LoadKnownDumps(path, problem);
  if (!table) error = TableProblemText(problem);
  return table;
}

std::optional<KnownDumpTable> BuiltInKnownDumps(std::string& error) {
  TableProblem problem;
  std::optional<KnownDumpTable> table = quarrow::BuiltInKnownDumps(problem);
  if (!table) error = TableProblemText(problem);
  return table;
}

constexpr const char* kHeader = "set\ttitle\tyear\tmanufacturer\tcrc32\tsha1\tlayout\n";
constexpr const char* kGoodRow =
    "pc_smb\tSuper Mario "
    "Bros.\t1985\tNintendo\tbd82d775\te15c369d638156eeb0cd141aeeec877c62810b64\tmame\n";

TEST(KnownDumpsParse, FindsColumnsByNameAndToleratesBomCrLfAndUpperCaseHex) {
  const std::string text =
      "\xEF\xBB\xBFlayout\tsha1\tcrc32\tset\textra\ttitle\tyear\tmanufacturer\r\n"
      "raw\tE15C369D638156EEB0CD141AEEEC877C62810B64\tBD82D775\tnss_x\tignored\tX\t1992\tY\r\n"
      "\r\n";
  std::string error;
  const std::optional<KnownDumpTable> table = ParseKnownDumps(text, "t.tsv", error);
  ASSERT_TRUE(table) << error;
  ASSERT_EQ(table->Rows().size(), 1u);
  const KnownDump& row = table->Rows()[0];
  EXPECT_EQ(row.set, "nss_x");
  EXPECT_EQ(row.layout, ImageFileLayout::Nss);
  EXPECT_EQ(row.hashes, (ImageHashes{"bd82d775", "e15c369d638156eeb0cd141aeeec877c62810b64"}));
}

TEST(KnownDumpsParse, MalformedTablesFailNamingTheSourceAndLine) {
  const std::string header = kHeader, good = kGoodRow;
  struct Case {
    std::string text;
    std::string errorStart;
  } cases[] = {
      {"", "t.tsv:1: "},
      {"set\ttitle\tyear\tmanufacturer\tcrc32\tlayout\n" + good,
       "t.tsv:1: the header line has no column 'sha1'"},
      {header + good + "pc_x\tX\t1985\tN\tbd82d775\n",
       "t.tsv:3: 5 fields where the header names 7"},
      {header + "pc_x\tX\t1985\tN\tbd82d77\te15c369d638156eeb0cd141aeeec877c62810b64\tmame\n",
       "t.tsv:2: crc32 'bd82d77' is not 8 hexadecimal digits"},
      {header + good +
           "pc_x\tX\t1985\tN\tbd82d775\te15c369d638156eeb0cd141aeeec877c62810b6g\tmame\n",
       "t.tsv:3: sha1 "},
      {header + "pc_x\tX\t1985\tN\tbd82d775\t\tmame\n",
       "t.tsv:2: crc32 and sha1 must both be given"},
      {header + "pc_x\tX\t1985\tN\tbd82d775\te15c369d638156eeb0cd141aeeec877c62810b64\tMAME\n",
       "t.tsv:2: layout 'MAME' is neither mame nor raw"},
      {header + "\tX\t1985\tN\tbd82d775\te15c369d638156eeb0cd141aeeec877c62810b64\tmame\n",
       "t.tsv:2: the set name is empty"},
      {"set\ttitle\tyear\tmanufacturer\tcrc32\tsha1\tlayout\tyear\n" + good,
       "t.tsv:1: the header line names column 'year' twice"},
      {header + "nss_x\tX\t1993\tN\t\t\traw\n", "t.tsv:1: the table lists no dumps"},
      // A name MAME's ROM lists hold between double quotes.
      {"rom_name\t" + header + "a.prm\t" + good + "a\"b.prm\t" + good,
       "t.tsv:3: rom_name 'a\"b.prm' is no name"},
      {"rom_name\t" + header + "  \t" + good, "t.tsv:2: rom_name '  ' is no name"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseKnownDumps(c.text, "t.tsv", error)) << c.text;
    EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
  }
}

// The core finds a problem as a value, the same for every language it is said in.
TEST(KnownDumpsParse, AProblemIsAKindWithItsLineAndValue) {
  TableProblem problem;
  EXPECT_FALSE(quarrow::ParseKnownDumps(
      std::string(kHeader) + kGoodRow + "pc_x\tX\t1985\tN\tbd82d775\te15c369d638156eeb0cd141aeeec877c62810b64\tMAME\n",
      "t.tsv", problem));
  EXPECT_EQ(problem.kind, TableProblem::Kind::BadLayout);
  EXPECT_EQ(problem.line, 3u);
  EXPECT_EQ(problem.value, "MAME");
  EXPECT_EQ(problem.source, "t.tsv");
}

TEST(KnownDumpsFind, ASetListedTwiceIsFoundOnce) {
  std::string error;
  const std::optional<KnownDumpTable> table =
      ParseKnownDumps(std::string(kHeader) + kGoodRow + kGoodRow, "t.tsv", error);
  ASSERT_TRUE(table) << error;
  EXPECT_EQ(table->Find(ImageFileLayout::Mame, table->Rows()[0].hashes).size(), 1u);
}

TEST(KnownDumpsLoad, FileErrorsNameTheFile) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  // Named afresh each run, so builds testing side by side do not share the file.
  const std::filesystem::path bad =
      folder / ("quarrow-bad-table-" + std::to_string(std::random_device{}()) + ".tsv");
  std::ofstream(bad, std::ios::binary) << kHeader << "pc_x\tX\n";
  std::string error;
  EXPECT_FALSE(LoadKnownDumps(bad, error));
  EXPECT_EQ(error,
            bad.string() + ":2: 2 fields where the header names 7 (fields are separated by tabs)");
  std::filesystem::remove(bad);

  EXPECT_FALSE(LoadKnownDumps(bad, error));
  EXPECT_EQ(error.rfind(bad.string() + ": ", 0), 0u) << error;
  EXPECT_FALSE(LoadKnownDumps(folder, error));
  EXPECT_EQ(error, folder.string() + ": not a regular file");
}

// The built-in table is the shipped file, whole: every row with a dump has well-formed hashes, and
// the 69 sets hold 64 distinct dumps.
TEST(ShippedTable, HoldsEveryRowOfTheTsvAndAll64Dumps) {
  std::ifstream tsv(QUARROW_KNOWN_DUMPS_TSV);
  std::size_t dataLines = 0;
  for (std::string line; std::getline(tsv, line);) dataLines += !line.empty();
  --dataLines;  // the header

  std::string error;
  const std::optional<KnownDumpTable> builtIn = BuiltInKnownDumps(error);
  ASSERT_TRUE(builtIn) << error;
  EXPECT_EQ(builtIn->Rows().size(), dataLines);
  EXPECT_EQ(builtIn->Rows().size(), 69u);
  EXPECT_EQ(builtIn->DumpCount(), 64u);

  const std::regex crc("[0-9a-f]{8}"), sha1("[0-9a-f]{40}");
  std::set<std::string> sets;
  for (const KnownDump& row : builtIn->Rows()) {
    sets.insert(row.set);
    if (!row.HasDump()) {
      EXPECT_NE(row.flags.find("NO_DUMP"), std::string::npos) << row.set;
      continue;
    }
    EXPECT_TRUE(std::regex_match(row.hashes.crc32, crc)) << row.set;
    EXPECT_TRUE(std::regex_match(row.hashes.sha1, sha1)) << row.set;
    EXPECT_EQ(row.layout,
              row.set.starts_with("nss_") ? ImageFileLayout::Nss : ImageFileLayout::Mame)
        << row.set;
  }
  EXPECT_EQ(sets.size(), dataLines) << "a set listed twice";

  const std::optional<KnownDumpTable> fromFile = LoadKnownDumps(QUARROW_KNOWN_DUMPS_TSV, error);
  ASSERT_TRUE(fromFile) << error;
  ASSERT_EQ(fromFile->Rows().size(), builtIn->Rows().size());
  for (std::size_t i = 0; i < builtIn->Rows().size(); ++i) {
    EXPECT_EQ(fromFile->Rows()[i].set, builtIn->Rows()[i].set);
    EXPECT_EQ(fromFile->Rows()[i].hashes, builtIn->Rows()[i].hashes);
  }
}

}  // namespace
}  // namespace quarrow
