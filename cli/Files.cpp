// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and saving image files with one-line reports for the person at the terminal.
#include <system_error>

#include "Texts.h"
#include "Console.h"
#include "PlatformConsole.h"
#include "PrintableText.h"
#include "VcdWriter.h"

namespace quarrow::cli {

std::ostream& Console::Notes() {
  // A stream without a buffer takes every write and keeps none.
  static std::ostream nowhere(nullptr);
  return quiet ? nowhere : err;
}

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

bool OpenImageReporting(const std::string& path, ImageFileLayout layout, PromImage& image,
                        Console& console) {
  std::vector<std::uint8_t> bytes;
  if (!ReadImageBytesReporting(path, bytes, console)) return false;
  image = DecodeImageFile(bytes, layout);
  return true;
}

bool ReadImageBytesReporting(const std::string& path, std::vector<std::uint8_t>& bytes,
                             Console& console) {
  const FileStatus status = ReadImageFileBytes(PathFromUtf8(path), bytes);
  if (!status) {
    console.err << res::kCantOpenFile << PrintableText(path) << ": " << PrintableText(status.reason) << '\n';
    return false;
  }
  // A dump of the wrong size is usually a mistake (a truncated download, a different chip's dump);
  // it still opens as it always has, but the person should know what was made of it.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(PathFromUtf8(path), error);
  if (!error && size != kImageFileSize) {
    console.err << "Note - " << PrintableText(path) << " holds " << size << " bytes, not "
                << kImageFileSize << ": " << (size < kImageFileSize ? res::kShortFileNote : res::kLongFileNote)
                << '\n';
  }
  return true;
}

bool SaveImageReporting(const std::string& path, const PromImage& image, ImageFileLayout layout,
                        Console& console) {
  const FileStatus status = SaveImageFile(PathFromUtf8(path), image, layout);
  if (!status) {
    console.err << res::kCantSaveFile << PrintableText(path) << ": " << PrintableText(status.reason) << '\n';
    return false;
  }
  return true;
}

bool CheckSaveTargetReporting(const std::string& path, Console& console) {
  const FileStatus status = CheckSaveTarget(PathFromUtf8(path));
  if (!status) {
    console.err << res::kCantSaveFile << PrintableText(path) << ": " << PrintableText(status.reason) << '\n';
    return false;
  }
  return true;
}

bool SaveTraceReporting(const std::string& path, const PinTrace& trace, Console& console) {
  const std::string vcd =
      PinTraceVcd(trace, std::string("written by ") + res::kProgramName + " " + res::kVersion);
  const FileStatus status = SaveFileBytes(
      PathFromUtf8(path), {reinterpret_cast<const std::uint8_t*>(vcd.data()), vcd.size()});
  if (!status) {
    console.err << res::kCantSaveFile << PrintableText(path) << ": " << PrintableText(status.reason) << '\n';
    return false;
  }
  console.Notes() << res::kTraceSavedTo << PrintableText(path) << '\n';
  return true;
}

std::string TraceTargetProblem(const std::string& path, const std::string& output) {
  if (path == "-" || NamesStandardOutput(path)) return res::kTraceIsStandardOutput;
  if (output.empty()) return {};
  // The same name, the same existing file under two names, or two names of one file yet to be made.
  std::error_code error, otherError;
  const std::filesystem::path trace = PathFromUtf8(path), image = PathFromUtf8(output);
  const bool same = path == output || std::filesystem::equivalent(trace, image, error) ||
                    (std::filesystem::weakly_canonical(trace, error) ==
                         std::filesystem::weakly_canonical(image, otherError) &&
                     !error && !otherError);
  return same ? res::kTraceIsTheImageFile : std::string();
}

}  // namespace quarrow::cli
