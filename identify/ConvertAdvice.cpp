// SPDX-License-Identifier: GPL-3.0-or-later
// Layout mistakes and near-miss repairs for convert.
#include "ConvertAdvice.h"

namespace quarrow {

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

namespace {

// The rows, of either layout, whose file is these bytes.
std::optional<std::vector<KnownDump>> RowsOfBytes(std::span<const std::uint8_t> bytes,
                                                  const KnownDumpTable& table,
                                                  std::string& error) {
  const std::optional<ImageHashes> hashes = HashBytes(bytes, error);
  if (!hashes) return std::nullopt;
  std::vector<KnownDump> rows = table.Find(ImageFileLayout::Mame, *hashes);
  for (KnownDump& row : table.Find(ImageFileLayout::Nss, *hashes)) rows.push_back(std::move(row));
  return rows;
}

}  // namespace

bool FindDumpLoss(std::span<const std::uint8_t> bytes, const ConvertRepair& conversion,
                  const KnownDumpTable& table, std::optional<DumpLoss>& loss, std::string& error) {
  loss.reset();
  // A file of another size is no dump as it stands, whatever its first 16 bytes are.
  if (bytes.size() != kImageFileSize) return true;
  std::optional<std::vector<KnownDump>> asStored = RowsOfBytes(bytes, table, error);
  if (!asStored) return false;
  if (asStored->empty()) return true;
  const ImageFileBytes written = EncodeImageFile(
      RepairedImage(DecodeImageFile(bytes, conversion.from), conversion.repairs), conversion.to);
  const std::optional<std::vector<KnownDump>> asWritten = RowsOfBytes(written, table, error);
  if (!asWritten) return false;
  if (asWritten->empty()) {
    const ImageFileLayout layout = asStored->front().layout;
    loss = DumpLoss{layout, std::move(*asStored)};
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
