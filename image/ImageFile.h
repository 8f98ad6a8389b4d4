// SPDX-License-Identifier: GPL-3.0-or-later
// The two 16-byte image-file layouts and the safe save and open of image files.
//
// Both layouts are exactly 16 bytes with no header: word 0 then word 1, each least significant byte
// first. The raw ("NSS") layout stores the words as read; the MAME layout passes each word through
// InvertMirror64, so each PROM bit is stored inverted, most significant bit first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "PromImage.h"

namespace quarrow {

enum class ImageFileLayout { Mame, Nss };

inline constexpr std::size_t kImageFileSize = 16;
using ImageFileBytes = std::array<std::uint8_t, kImageFileSize>;

ImageFileBytes EncodeImageFile(const PromImage& image, ImageFileLayout layout);

// The layout a file opens in when the person names none: a file named *.nss (in any case) is in the
// raw layout, as MAME keeps Nintendo Super System sets and archive saves them; any other in the
// MAME layout.
ImageFileLayout LayoutForFileName(const std::filesystem::path& path);

// Uses the first 16 of the given bytes; bytes that are missing count as zero before conversion, so a
// short MAME-layout file reads as all ones past its end.
PromImage DecodeImageFile(std::span<const std::uint8_t> bytes, ImageFileLayout layout);

// Outcome of a file operation. On failure `reason` says why, in the system's words where there are
// some; the caller already knows the path and puts the two together for the person.
struct FileStatus {
  bool ok = true;
  std::string reason;

  explicit operator bool() const { return ok; }
  static FileStatus Failure(std::string why) { return {false, std::move(why)}; }
};

// Saves as a plain write would, without its risks. A regular file (or a missing one) is written to
// a temporary file in its folder and renamed over the target, so an existing file is either
// replaced whole or left exactly as it was; the new file keeps the old one's permission bits and,
// where the process may set them, its owner and group. A file the process may not write is not
// replaced. A symbolic link is written through: the file it points to is replaced in that file's
// own folder, and a dangling link creates its target. Anything else that exists (a device, a FIFO)
// is written directly; a FIFO nobody reads from is given up on after a short wait. No temporary
// file is left behind, even when the program ends on a signal, provided its handler calls
// RemoveUnfinishedSaveFiles.
FileStatus SaveImageFile(const std::filesystem::path& path, const PromImage& image,
                         ImageFileLayout layout);
// Saves any bytes the same way: for the other files the program writes (a pin trace).
FileStatus SaveFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Creates `path` holding the image only if nothing exists under that name, for an archive that must
// never replace a dump. The bytes go to a temporary file beside it, which is then linked in under
// the name, so the name never holds part of a file and an existing file (even one another program
// creates meanwhile) is left alone. When the name was taken, `exists` is set and the status is a
// failure.
FileStatus CreateImageFile(const std::filesystem::path& path, const PromImage& image,
                           ImageFileLayout layout, bool& exists);

// What would make a save to `path` fail, found without writing anything: a missing or unwritable
// folder, a folder or socket at the path, a file the process may not write, a link loop. A success
// does not promise the save (the disk may still be full); it spares a long read before a certain
// failure.
FileStatus CheckSaveTarget(const std::filesystem::path& path);

// Removes the temporary files of saves that are under way. Async-signal-safe: for a program's
// SIGINT/SIGTERM handler, which is the program's own to install; the library installs none.
void RemoveUnfinishedSaveFiles() noexcept;

// Reads at most the first 16 bytes of a regular file and decodes them. Anything that is not a
// regular file (a folder, FIFO or device) is refused without blocking. `image` changes only on
// success.
FileStatus OpenImageFile(const std::filesystem::path& path, ImageFileLayout layout, PromImage& image);

// Reads at most the first 16 bytes of a regular file as they stand; `bytes` receives them (0..16).
FileStatus ReadImageFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

// Reads at most the first `limit` bytes of a regular file. Anything else is refused without
// blocking; a folder as "it is a folder, not " followed by `kind` ("an image file").
FileStatus ReadRegularFileStart(const std::filesystem::path& path, std::size_t limit, const char* kind,
                                std::string& contents);

}  // namespace quarrow
