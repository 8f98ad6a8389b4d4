// SPDX-License-Identifier: GPL-3.0-or-later
// The identification MAME gives a ROM image: CRC32 and SHA-1 of the image's bytes in the MAME layout.
#pragma once

#include <optional>
#include <string>

#include "Hashes.h"
#include "PromImage.h"

namespace quarrow::cli {

// "CRC(xxxxxxxx) SHA1(<40 hex digits>)", lower-case, or nothing when the digest library fails
// (`error` then holds its words).
std::optional<std::string> MameIdentification(const PromImage& image, std::string& error);

// The same line from hashes already taken of the MAME-layout bytes.
std::string MameIdentification(const ImageHashes& mameLayoutHashes);

}  // namespace quarrow::cli
