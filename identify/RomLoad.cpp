// SPDX-License-Identifier: GPL-3.0-or-later
// MAME's hash and ROM_LOAD lines for a dump.
#include "RomLoad.h"

namespace quarrow {

std::string HashLine(const ImageHashes& hashes) {
  return "CRC(" + hashes.crc32 + ") SHA1(" + hashes.sha1 + ")";
}

const ImageHashes& HashesInLayout(const Identification& identification, ImageFileLayout layout) {
  return layout == ImageFileLayout::Nss ? identification.raw : identification.mame;
}

RomLoad RomLoadFor(const Identification& identification) {
  RomLoad romLoad{kDefaultRomName, ImageFileLayout::Mame, {}};
  if (!identification.sets.empty()) {
    const KnownDump& set = identification.sets.front();
    if (!set.romName.empty()) romLoad.romName = set.romName;
    romLoad.layout = set.layout;
  }
  romLoad.hashes = HashesInLayout(identification, romLoad.layout);
  return romLoad;
}

std::string RomLoadLine(const RomLoad& romLoad) {
  // Offset 0 and length 16: the PROM is a region of its own in every set that has one.
  return "ROM_LOAD( \"" + romLoad.romName + "\", 0x00, 0x10, " + HashLine(romLoad.hashes) + " )";
}

}  // namespace quarrow
