// SPDX-License-Identifier: GPL-3.0-or-later
// What identification tells about converting an image file: that a file is already in the layout
// it is about to be converted into (converting it again would corrupt it), that it is MAME's own
// file of a dump already, and which conversion turns a near miss back into the known dump.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Identify.h"
#include "ImageFile.h"
#include "KnownDumps.h"
#include "Repair.h"

namespace quarrow {

// The file, read in `from` and repaired, is no known dump, but read in the other layout (and
// repaired alike) it is one: the file is most likely in that layout already.
struct LayoutMistake {
  ImageFileLayout actualLayout = ImageFileLayout::Mame;
  Identification identification;  // of the file read in the actual layout
};

// Sets `mistake` when the bytes look like that; returns false only when hashing failed (`error`
// then says why).
bool FindLayoutMistake(std::span<const std::uint8_t> bytes, ImageFileLayout from,
                       const ImageRepairs& repairs, const KnownDumpTable& table,
                       std::optional<LayoutMistake>& mistake, std::string& error);

// A conversion: the file read in `from`, repaired, written in `to`.
struct ConvertRepair {
  ImageFileLayout from = ImageFileLayout::Mame;
  ImageFileLayout to = ImageFileLayout::Mame;
  ImageRepairs repairs;
};

// The file is byte for byte a known dump as MAME keeps it, and what the conversion would write is
// byte for byte none: converting would replace MAME's file with another.
struct DumpLoss {
  ImageFileLayout layout = ImageFileLayout::Mame;  // the layout of the rows the bytes are
  std::vector<KnownDump> sets;
};

// Sets `loss` when the conversion looks like that; returns false only when hashing failed (`error`
// then says why).
bool FindDumpLoss(std::span<const std::uint8_t> bytes, const ConvertRepair& conversion,
                  const KnownDumpTable& table, std::optional<DumpLoss>& loss, std::string& error);

// A conversion of a file in `layout`, in place, that turns a near miss of `kind` into the known
// dump, still in `layout`.
std::optional<ConvertRepair> RepairForNearMiss(NearMiss kind, ImageFileLayout layout);

}  // namespace quarrow
