// SPDX-License-Identifier: GPL-3.0-or-later
// The lines MAME's ROM definitions identify a dump by: "CRC(...) SHA1(...)" of the file's bytes,
// and the ROM_LOAD line of a driver's ROM list, in the file layout MAME keeps that system's dumps in.
#pragma once

#include <string>
#include <vector>

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

// What a driver's ROM list would say about this dump: for a known dump, one entry per ROM name its
// sets give it (four PlayChoice-10 sets share a dump as security.prm and security.u6), in the layout
// MAME keeps those sets in (PlayChoice-10: MAME layout; NSS: raw), with the sets under it; for a
// dump no set has, security.prm in the MAME layout; for a near miss nothing, since the image is not
// that set's dump until it is repaired. The hashes are the dump's as MAME keeps it.
struct RomLoad {
  std::string romName;
  ImageFileLayout layout = ImageFileLayout::Mame;
  ImageHashes hashes;
  std::vector<std::string> sets;  // empty for a dump no set has
};
std::vector<RomLoad> RomLoadsFor(const Identification& identification);

// ROM_LOAD( "security.prm", 0x00, 0x10, CRC(...) SHA1(...) ), followed by " // SET, SET" when
// sets have it
std::string RomLoadLine(const RomLoad& romLoad);

}  // namespace quarrow
