// SPDX-License-Identifier: GPL-3.0-or-later
// MAME's hash and ROM_LOAD lines for a dump.
#include "RomLoad.h"

#include <algorithm>

namespace quarrow {

std::string HashLine(const ImageHashes& hashes) {
  return "CRC(" + hashes.crc32 + ") SHA1(" + hashes.sha1 + ")";
}

const ImageHashes& HashesInLayout(const Identification& identification, ImageFileLayout layout) {
  return layout == ImageFileLayout::Nss ? identification.raw : identification.mame;
}

std::vector<RomLoad> RomLoadsFor(const Identification& identification) {
  switch (identification.result) {
    case IdentificationResult::NearMiss: return {};
    case IdentificationResult::Unknown:
      return {RomLoad{kDefaultRomName, ImageFileLayout::Mame, identification.mame, {}}};
    case IdentificationResult::KnownDump: break;
  }
  std::vector<RomLoad> loads;
  for (const KnownDump& set : identification.sets) {
    const std::string romName = set.romName.empty() ? kDefaultRomName : set.romName;
    auto same = [&](const RomLoad& load) {
      return load.romName == romName && load.layout == set.layout;
    };
    auto load = std::find_if(loads.begin(), loads.end(), same);
    // The row's own hashes: a file opened in the other layout than MAME's still has them.
    if (load == loads.end()) load = loads.insert(loads.end(), {romName, set.layout, set.hashes, {}});
    load->sets.push_back(set.set);
  }
  return loads;
}

std::string RomLoadLine(const RomLoad& romLoad) {
  // Offset 0 and length 16: the PROM is a region of its own in every set that has one.
  std::string line =
      "ROM_LOAD( \"" + romLoad.romName + "\", 0x00, 0x10, " + HashLine(romLoad.hashes) + " )";
  for (std::size_t i = 0; i < romLoad.sets.size(); ++i) {
    line += (i == 0 ? " // " : ", ") + romLoad.sets[i];
  }
  return line;
}

}  // namespace quarrow
