// SPDX-License-Identifier: GPL-3.0-or-later
// Which known dump an image is: looked up by its hashes in both file layouts, and, failing that, by
// the hashes of the variants a wrongly wired programmer or a wrongly opened file would produce.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Hashes.h"
#include "KnownDumps.h"
#include "PromImage.h"

namespace quarrow {

enum class IdentificationResult { KnownDump, NearMiss, Unknown };

// How an image has to be changed to become a known dump.
enum class NearMiss {
  None,
  Inverted,          // every bit: the data line's polarity
  Mirrored,          // the bit order within each byte
  InvertedMirrored,  // both: what opening a file in the other layout does
  HalvesSwapped,     // bits 64..127 first: the read started half-way round the chip's counter
};

struct Identification {
  IdentificationResult result = IdentificationResult::Unknown;
  NearMiss nearMiss = NearMiss::None;
  std::vector<KnownDump> sets;  // the matching rows; several when one dump serves several sets
  std::size_t tableDumps = 0;   // how many dumps the table holds
  ImageHashes mame;             // the image's own hashes in the MAME layout
  ImageHashes raw;              // and in the raw layout
  // Set when a file's own bytes are the known dump as MAME keeps it in the other layout than the
  // file was opened in: the file is that dump, to be opened in this layout, never converted.
  std::optional<ImageFileLayout> openAs;
};

// Nothing when hashing fails; `error` then says why.
std::optional<Identification> IdentifyImage(const PromImage& image, const KnownDumpTable& table,
                                            std::string& error);

// A file is known by its bytes first: 16 bytes that are byte for byte a known dump are that dump,
// whichever layout `opened` says; otherwise the file is the image its bytes give in `opened`.
std::optional<Identification> IdentifyFile(std::span<const std::uint8_t> bytes,
                                           ImageFileLayout opened, const KnownDumpTable& table,
                                           std::string& error);

ImageFileLayout OtherLayout(ImageFileLayout layout);

// The variant of `image` that a near miss of `kind` names (None: the image itself).
PromImage NearMissVariant(const PromImage& image, NearMiss kind);

}  // namespace quarrow
