// SPDX-License-Identifier: GPL-3.0-or-later
// MAME-style identification of an image.
#include "Identification.h"

#include "Hashes.h"
#include "ImageFile.h"

namespace quarrow::cli {

std::optional<std::string> MameIdentification(const PromImage& image, std::string& error) {
  // MAME's ROM definitions identify an RP5H01 by the bytes of its own file layout.
  const ImageFileBytes bytes = EncodeImageFile(image, ImageFileLayout::Mame);
  const std::optional<ImageHashes> hashes = HashBytes(bytes, error);
  if (!hashes) return std::nullopt;
  return MameIdentification(*hashes);
}

std::string MameIdentification(const ImageHashes& mameLayoutHashes) {
  return "CRC(" + mameLayoutHashes.crc32 + ") SHA1(" + mameLayoutHashes.sha1 + ")";
}

}  // namespace quarrow::cli
