// SPDX-License-Identifier: GPL-3.0-or-later
// A table's problem as a sentence, from the texts in res/Texts.h.
#include "KnownDumpsText.h"

#include "PrintableText.h"
#include "Texts.h"

namespace quarrow {

namespace {

using Kind = TableProblem::Kind;

// What is wrong with the file itself, after "FILE: ".
std::string FileProblemText(const TableProblem& problem) {
  switch (problem.kind) {
    case Kind::NotARegularFile: return res::kTableNotARegularFile;
    case Kind::TooLarge: return std::to_string(problem.count) + res::kTableTooLarge;
    case Kind::CantOpen: return problem.reason.empty() ? res::kTableCantOpen : problem.reason;
    case Kind::CantRead: return res::kTableCantRead;
    default: return problem.reason;
  }
}

// What is wrong in the text, after "FILE:LINE: ".
std::string TextProblemText(const TableProblem& problem) {
  const std::string value = QuotedExcerpt(problem.value);
  switch (problem.kind) {
    case Kind::EmptyHeader: return res::kTableEmptyHeader;
    case Kind::ColumnTwice: return res::kTableColumnTwice + value + res::kTableColumnTwiceEnd;
    case Kind::ColumnMissing: return res::kTableColumnMissing + problem.value + res::kTableColumnMissingEnd;
    case Kind::FieldCount:
      return std::to_string(problem.count) + res::kTableFieldCount + std::to_string(problem.expected) +
             res::kTableFieldCountEnd;
    case Kind::EmptySet: return res::kTableEmptySet;
    case Kind::UnusableRomName: return res::kTableRomName + value + res::kTableRomNameEnd;
    case Kind::HashesHalfGiven: return res::kTableHashesHalfGiven;
    case Kind::BadCrc32: return res::kTableCrc32 + value + res::kTableCrc32End;
    case Kind::BadSha1: return res::kTableSha1 + value + res::kTableSha1End;
    case Kind::BadLayout: return res::kTableLayout + value + res::kTableLayoutEnd;
    default: return res::kTableNoDumps;
  }
}

}  // namespace

std::string TableProblemText(const TableProblem& problem) {
  const std::string source = problem.source + (problem.builtIn ? res::kTableBuiltIn : "");
  if (problem.line == 0) return source + ": " + FileProblemText(problem);
  return source + ":" + std::to_string(problem.line) + ": " + TextProblemText(problem);
}

}  // namespace quarrow
