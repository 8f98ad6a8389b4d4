// SPDX-License-Identifier: GPL-3.0-or-later
// What show, read, compare and identify tell about an image: its text, MAME's CRC/SHA1 line and the
// identification on standard output, the diagnosis on standard error; or, with --json, one object.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "Console.h"
#include "Diagnosis.h"
#include "Identify.h"
#include "KnownDumps.h"

namespace quarrow::cli {

struct Presentation {
  const KnownDumpTable& knownDumps;
  bool json = false;
};

// The table named by --known-dumps (`optionPath`), else by QUARROW_KNOWN_DUMPS, else the built-in
// one. Reports and returns nothing when that table cannot be read.
std::optional<KnownDumpTable> LoadKnownDumpsReporting(const std::string& optionPath,
                                                      Console& console);

struct ImageFacts {
  PromImage image;
  Identification identification;
  std::vector<Diagnosis> diagnoses;
};

// Identifies and diagnoses an image; `secondRead` is the other read of a verified read. Reports and
// returns nothing when the image cannot be hashed.
std::optional<ImageFacts> ExamineImage(const PromImage& image, const KnownDumpTable& knownDumps,
                                       Console& console, const PromImage* secondRead = nullptr);

// The image text, the CRC/SHA1 line and the identification (or the identification alone), then the
// diagnoses on standard error.
void PrintFacts(const ImageFacts& facts, Console& console, bool identificationOnly = false);
void PrintDiagnoses(const ImageFacts& facts, Console& console);

// The object --json prints: the command and the file first, then the image's facts (ImageJson),
// then what the caller adds (outcome, differing bits, ...).
nlohmann::ordered_json ReportJson(const char* command, const std::string* file,
                                  ImageFileLayout layout);
void AddImageJson(nlohmann::ordered_json& report, const ImageFacts& facts);
void PrintJson(const nlohmann::ordered_json& report, Console& console);

std::string BitList(const std::vector<int>& bits);

}  // namespace quarrow::cli
