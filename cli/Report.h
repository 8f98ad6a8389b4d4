// SPDX-License-Identifier: GPL-3.0-or-later
// What show, read, compare and identify tell about an image: its text, MAME's CRC/SHA1 line and the
// identification on standard output, the diagnosis on standard error; or, with --json, one object.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Console.h"
#include "Diagnosis.h"
#include "Identify.h"
#include "KnownDumps.h"
#include "ReadStability.h"

namespace quarrow::cli {

struct Presentation {
  const KnownDumpTable& knownDumps;
  bool json = false;
  bool romLoad = false;  // add MAME's ROM_LOAD line for the dump
};

// The table named by --known-dumps (`optionPath`), else by QUARROW_KNOWN_DUMPS, else the built-in
// one. Reports and returns nothing when that table cannot be read.
std::optional<KnownDumpTable> LoadKnownDumpsReporting(const std::string& optionPath,
                                                      Console& console);

struct ImageFacts {
  PromImage image;
  // The layout the command works in: the file's for show, identify and compare, the saved file's
  // for read. The CRC/SHA1 line hashes the image in this layout.
  ImageFileLayout layout = ImageFileLayout::Mame;
  Identification identification;
  std::vector<Diagnosis> diagnoses;
  int reads = 1;           // how many reads the image comes from
  int differingReads = 0;  // and how many of them are not the first

  // A diagnosis says the bits are not the chip's (no chip, a blank one, TEST low).
  bool LooksBroken() const;
};

// Identifies and diagnoses an image; `reads` are the repeated reads it is the first of, if there
// were several. Reports and returns nothing when the image cannot be hashed.
std::optional<ImageFacts> ExamineImage(const PromImage& image, ImageFileLayout layout,
                                       const KnownDumpTable& knownDumps, Console& console,
                                       const std::vector<PromImage>* reads = nullptr);
// The same for a file's bytes opened in `layout`, known by its bytes first (IdentifyFile).
std::optional<ImageFacts> ExamineFile(std::span<const std::uint8_t> bytes, ImageFileLayout layout,
                                      const KnownDumpTable& knownDumps, Console& console);

// The image text, the CRC/SHA1 line (and, with `romLoad`, the ROM_LOAD lines) and the
// identification, or the identification alone (and the ROM_LOAD lines); then the diagnoses on
// standard error. A near miss has no ROM_LOAD line: standard error says why.
void PrintFacts(const ImageFacts& facts, Console& console, bool identificationOnly = false,
                bool romLoad = false);
void PrintDiagnoses(const ImageFacts& facts, Console& console);
// Reads that differ: the diagnoses on standard error, the one that says so followed by each unstable
// bit with how many of the reads gave 1.
void PrintUnstableRead(const ImageFacts& facts, const std::vector<UnstableBit>& unstable,
                       Console& console);
// "differing_bits" and "unstable_bits": [{bit, ones, reads}].
void AddUnstableJson(nlohmann::ordered_json& report, const std::vector<UnstableBit>& unstable);
// --strict: the read looks broken; says so on standard error after the diagnoses.
void ReportBrokenRead(Console& console);

// The object --json prints: the command and the file first, then the image's facts (ImageJson),
// then what the caller adds (outcome, differing bits, ...).
nlohmann::ordered_json ReportJson(const char* command, const std::string* file,
                                  ImageFileLayout layout);
void AddImageJson(nlohmann::ordered_json& report, const ImageFacts& facts, bool romLoad = false);
void PrintJson(const nlohmann::ordered_json& report, Console& console);

std::string BitList(const std::vector<int>& bits);

}  // namespace quarrow::cli
