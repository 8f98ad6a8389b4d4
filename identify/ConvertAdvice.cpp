// SPDX-License-Identifier: GPL-3.0-or-later
// Layout mistakes and near-miss repairs for convert.
#include "ConvertAdvice.h"

namespace quarrow {

ImageFileLayout OtherLayout(ImageFileLayout layout) {
  return layout == ImageFileLayout::Mame ? ImageFileLayout::Nss : ImageFileLayout::Mame;
}

bool FindLayoutMistake(std::span<const std::uint8_t> bytes, ImageFileLayout from,
                       const ImageRepairs& repairs, const KnownDumpTable& table,
                       std::optional<LayoutMistake>& mistake, std::string& error) {
  mistake.reset();
  const std::optional<Identification> asGiven =
      IdentifyImage(RepairedImage(DecodeImageFile(bytes, from), repairs), table, error);
  if (!asGiven) return false;
  if (asGiven->result == IdentificationResult::KnownDump) return true;
  const ImageFileLayout other = OtherLayout(from);
  std::optional<Identification> asOther =
      IdentifyImage(RepairedImage(DecodeImageFile(bytes, other), repairs), table, error);
  if (!asOther) return false;
  if (asOther->result == IdentificationResult::KnownDump) {
    mistake = LayoutMistake{other, std::move(*asOther)};
  }
  return true;
}

std::optional<ConvertRepair> RepairForNearMiss(NearMiss kind, ImageFileLayout layout) {
  ConvertRepair repair{layout, layout, {}};
  switch (kind) {
    case NearMiss::Inverted: repair.repairs.invert = true; return repair;
    case NearMiss::Mirrored: repair.repairs.mirror = true; return repair;
    case NearMiss::HalvesSwapped: repair.repairs.swapHalves = true; return repair;
    // Inverting and mirroring every byte is exactly reading the file in the other layout.
    case NearMiss::InvertedMirrored: repair.from = OtherLayout(layout); return repair;
    case NearMiss::None: break;
  }
  return std::nullopt;
}

}  // namespace quarrow
