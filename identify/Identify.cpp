// SPDX-License-Identifier: GPL-3.0-or-later
// Identification of an image against the table of known dumps.
#include "Identify.h"

#include "Repair.h"

namespace quarrow {

namespace {

struct LayoutHashes {
  ImageHashes mame;
  ImageHashes raw;
};

std::optional<LayoutHashes> HashBothLayouts(const PromImage& image, std::string& error) {
  const std::optional<ImageHashes> mame =
      HashBytes(EncodeImageFile(image, ImageFileLayout::Mame), error);
  if (!mame) return std::nullopt;
  const std::optional<ImageHashes> raw =
      HashBytes(EncodeImageFile(image, ImageFileLayout::Nss), error);
  if (!raw) return std::nullopt;
  return LayoutHashes{*mame, *raw};
}

// The rows matching either layout's hashes, each against the rows of its own layout.
std::vector<KnownDump> Lookup(const KnownDumpTable& table, const LayoutHashes& hashes) {
  std::vector<KnownDump> found = table.Find(ImageFileLayout::Mame, hashes.mame);
  for (KnownDump& row : table.Find(ImageFileLayout::Nss, hashes.raw)) {
    found.push_back(std::move(row));
  }
  return found;
}

}  // namespace

ImageFileLayout OtherLayout(ImageFileLayout layout) {
  return layout == ImageFileLayout::Mame ? ImageFileLayout::Nss : ImageFileLayout::Mame;
}

PromImage NearMissVariant(const PromImage& image, NearMiss kind) {
  switch (kind) {
    case NearMiss::None: return image;
    case NearMiss::Inverted: return InvertedImage(image);
    case NearMiss::Mirrored: return ByteMirroredImage(image);
    case NearMiss::InvertedMirrored:
      return {InvertMirror64(image.word0), InvertMirror64(image.word1)};
    case NearMiss::HalvesSwapped: return HalvesSwappedImage(image);
  }
  return image;
}

std::optional<Identification> IdentifyImage(const PromImage& image, const KnownDumpTable& table,
                                            std::string& error) {
  const std::optional<LayoutHashes> own = HashBothLayouts(image, error);
  if (!own) return std::nullopt;

  Identification identification;
  identification.tableDumps = table.DumpCount();
  identification.mame = own->mame;
  identification.raw = own->raw;
  identification.sets = Lookup(table, *own);
  if (!identification.sets.empty()) {
    identification.result = IdentificationResult::KnownDump;
    return identification;
  }

  // In this order: a single fault before a double one, and the swap last, as the rarest.
  for (NearMiss kind : {NearMiss::Inverted, NearMiss::Mirrored, NearMiss::InvertedMirrored,
                        NearMiss::HalvesSwapped}) {
    const PromImage variant = NearMissVariant(image, kind);
    if (variant == image) continue;  // a symmetric image would only find itself again
    const std::optional<LayoutHashes> hashes = HashBothLayouts(variant, error);
    if (!hashes) return std::nullopt;
    identification.sets = Lookup(table, *hashes);
    if (!identification.sets.empty()) {
      identification.result = IdentificationResult::NearMiss;
      identification.nearMiss = kind;
      return identification;
    }
  }
  return identification;
}

std::optional<Identification> IdentifyFile(std::span<const std::uint8_t> bytes,
                                           ImageFileLayout opened, const KnownDumpTable& table,
                                           std::string& error) {
  std::optional<Identification> identification =
      IdentifyImage(DecodeImageFile(bytes, opened), table, error);
  if (!identification || bytes.size() != kImageFileSize) return identification;
  // Encoded in the layout it was opened in, the image is the file's own bytes again.
  const ImageHashes& own =
      opened == ImageFileLayout::Nss ? identification->raw : identification->mame;
  if (!table.Find(opened, own).empty()) return identification;
  std::vector<KnownDump> asStored = table.Find(OtherLayout(opened), own);
  if (asStored.empty()) return identification;
  // Opened in the other layout, such a file looks like a near miss whose "repair" would turn
  // MAME's own file into another.
  identification->result = IdentificationResult::KnownDump;
  identification->nearMiss = NearMiss::None;
  identification->sets = std::move(asStored);
  identification->openAs = OtherLayout(opened);
  return identification;
}

}  // namespace quarrow
