// SPDX-License-Identifier: GPL-3.0-or-later
// Making the folder a command writes into, with its missing parents, and the names Windows keeps.
#pragma once

#include <filesystem>
#include <string>

namespace quarrow::cli {

// Whether `name` is one of the device names Windows keeps in every folder (CON, PRN, AUX, NUL,
// COM0 to COM9, LPT0 to LPT9), whatever its case and extension: a file or folder of that name
// would be the device.
bool IsWindowsDeviceName(const std::string& name);

// Makes `folder` and the folders above it that are missing. On Windows, a name the system would
// refuse or change (a missing drive, a device name, a name ending in a space or a dot, a character
// names cannot hold) is refused before any folder is made, so a refusal leaves none behind. On
// failure, `why` says what is wrong.
bool MakeFolders(const std::filesystem::path& folder, std::string& why);

}  // namespace quarrow::cli
