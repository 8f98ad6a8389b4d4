// SPDX-License-Identifier: GPL-3.0-or-later
// What identification tells about converting an image file: that a file is already in the layout
// it is about to be converted into (converting it again would corrupt it), and which conversion
// turns a near miss back into the known dump.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "Identify.h"
#include "ImageFile.h"
#include "KnownDumps.h"
#include "Repair.h"

namespace quarrow {

ImageFileLayout OtherLayout(ImageFileLayout layout);

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

// A conversion of a file in `layout`, in place, that turns a near miss of `kind` into the known
// dump, still in `layout`.
struct ConvertRepair {
  ImageFileLayout from = ImageFileLayout::Mame;
  ImageFileLayout to = ImageFileLayout::Mame;
  ImageRepairs repairs;
};
std::optional<ConvertRepair> RepairForNearMiss(NearMiss kind, ImageFileLayout layout);

}  // namespace quarrow
