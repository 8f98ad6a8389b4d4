// SPDX-License-Identifier: GPL-3.0-or-later
// Where a command's output goes, and the one-line reports of opening and saving image files.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "ImageFile.h"
#include "PinTrace.h"

namespace quarrow::cli {

struct Console {
  std::ostream& out;  // results: image text, identification, verdicts, device list
  std::ostream& err;  // errors, notes and progress
  bool errIsTerminal = false;  // and a progress bar is wanted there (not with --quiet)
  bool quiet = false;          // --quiet: errors and the data asked for, no notes

  // Where a note goes (a wiring used, a file saved): standard error, or nowhere with --quiet.
  std::ostream& Notes();
};

// File names on the command line are UTF-8 on every system (Utf8Arguments): a path is made from
// them as UTF-8, never through the C library's idea of the narrow encoding.
std::filesystem::path PathFromUtf8(const std::string& name);

// Opens an image file; on failure prints "Can't open file - PATH: reason" and leaves `image` alone.
// A file that is not exactly 16 bytes still opens, with a note on what was made of it.
bool OpenImageReporting(const std::string& path, ImageFileLayout layout, PromImage& image,
                        Console& console);

// The same, giving the file's first bytes (0 to 16) as they stand.
bool ReadImageBytesReporting(const std::string& path, std::vector<std::uint8_t>& bytes,
                             Console& console);

// Saves with the safe save; on failure prints "Can't save file - PATH: reason".
bool SaveImageReporting(const std::string& path, const PromImage& image, ImageFileLayout layout,
                        Console& console);

// Before a read whose result is to be saved: prints "Can't save file - PATH: reason" if the save is
// bound to fail.
bool CheckSaveTargetReporting(const std::string& path, Console& console);

// Saves the trace as a Value Change Dump with the safe save, then prints "Pin trace saved to -
// PATH"; on failure prints "Can't save file - PATH: reason".
bool SaveTraceReporting(const std::string& path, const PinTrace& trace, Console& console);

// Why --trace FILE cannot be used beside --output OUTPUT (empty: none given), checked before
// anything is read; empty when it can. Standard output holds the command's result, and one file
// cannot hold both the image and the trace.
std::string TraceTargetProblem(const std::string& path, const std::string& output);

}  // namespace quarrow::cli
