// SPDX-License-Identifier: GPL-3.0-or-later
#include "Folders.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include "Texts.h"
#include "PrintableText.h"

namespace quarrow::cli {

bool IsWindowsDeviceName(const std::string& name) {
  // "nul.txt" and "NUL " are the device too.
  std::string base = name.substr(0, name.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* device : {"con", "prn", "aux", "nul"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

namespace {

#if defined(_WIN32)
// What Windows would make of each name in `folder`, found before anything is made: otherwise
// create_directories makes the parents and then fails on the name below them, or (for a name that
// loses its trailing dots and spaces) makes a folder under another name.
bool CheckNamesForWindows(const std::filesystem::path& folder, std::string& why) {
  // A \\?\ name is taken as written, trailing dots and all.
  if (folder.native().rfind(L"\\\\?\\", 0) == 0) return true;
  const std::wstring drive = folder.root_name().wstring();
  // The standard library climbs a missing drive's root and reports "File name too long".
  if (drive.size() == 2 && drive[1] == L':' &&
      GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_NO_ROOT_DIR) {
    why = "there is no drive " + PrintablePath(folder.root_name());
    return false;
  }
  for (const std::filesystem::path& part : folder.relative_path()) {
    const std::u8string utf8 = part.u8string();
    const std::string name(utf8.begin(), utf8.end());
    if (name.empty() || name == "." || name == "..") continue;
    const std::string quoted = "'" + PrintableText(name) + "'";
    if (name.back() == ' ' || name.back() == '.') {
      why = "the folder name " + quoted + " ends in a space or a dot, which Windows drops";
      return false;
    }
    if (IsWindowsDeviceName(name)) {
      why = quoted + " is the name of a device on Windows, not of a folder";
      return false;
    }
    const auto forbidden = [](char c) {
      return static_cast<unsigned char>(c) < 32 ||
             std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
    };
    if (std::any_of(name.begin(), name.end(), forbidden)) {
      why = "the folder name " + quoted + " holds a character Windows does not allow in names";
      return false;
    }
  }
  return true;
}
#endif

}  // namespace

bool MakeFolders(const std::filesystem::path& folder, std::string& why) {
#if defined(_WIN32)
  if (!CheckNamesForWindows(folder, why)) return false;
#endif
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (std::filesystem::is_directory(folder)) return true;
  why = error ? error.message() : std::string(res::kNotAFolder);
  // create_directories says only "File exists" of a link that leads nowhere.
  std::error_code linkError;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(folder, linkError)) &&
      !std::filesystem::exists(folder, linkError)) {
    why = res::kDanglingLinkTo + PrintablePath(std::filesystem::read_symlink(folder, linkError)) +
          res::kDanglingLinkMissing;
  }
  return false;
}

}  // namespace quarrow::cli
