// SPDX-License-Identifier: GPL-3.0-or-later
// The lines MAME's ROM definitions identify a dump by: "CRC(...) SHA1(...)" of the file's bytes,
// and the ROM_LOAD line of a driver's ROM list, in the file layout MAME keeps that system's dumps in.
#pragma once

#include <string>

#include "Hashes.h"
#include "Identify.h"
#include "ImageFile.h"

namespace quarrow {

// The name MAME gives the security PROM of every PlayChoice-10 and NSS set; also the name used for
// a dump MAME does not know yet.
inline constexpr const char* kDefaultRomName = "security.prm";

// "CRC(6caff5d8) SHA1(6f04...)"
std::string HashLine(const ImageHashes& hashes);

// The image's hashes in `layout`, as the identification took them.
const ImageHashes& HashesInLayout(const Identification& identification, ImageFileLayout layout);

// What a driver's ROM list would say about this dump. For an image that matches a known set, or
// nearly does, the set's rom_name and the layout MAME keeps that set in (PlayChoice-10: MAME
// layout; NSS: raw); otherwise security.prm in the MAME layout. The hashes are always this image's
// own, in that layout.
struct RomLoad {
  std::string romName;
  ImageFileLayout layout = ImageFileLayout::Mame;
  ImageHashes hashes;
};
RomLoad RomLoadFor(const Identification& identification);

// ROM_LOAD( "security.prm", 0x00, 0x10, CRC(...) SHA1(...) )
std::string RomLoadLine(const RomLoad& romLoad);

}  // namespace quarrow
