// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any byte string as an image file, decoded in both layouts and opened from disk.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ImageFile.h"
#include "PromImage.h"

namespace {

using namespace quarrow;

// One file in memory for the whole run, rewritten for every input and opened by its /proc path; a
// scratch file on disk, truncated and rewritten for every input, kept the run waiting on the disk.
class ScratchFile {
 public:
  ScratchFile() : fd_(::memfd_create("quarrow-image-fuzz", MFD_CLOEXEC)) {
    FUZZ_CHECK(fd_ >= 0);
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~ScratchFile() { ::close(fd_); }
  const std::string& Hold(const std::uint8_t* data, std::size_t size) {
    FUZZ_CHECK(::ftruncate(fd_, 0) == 0);
    FUZZ_CHECK(size == 0 || ::pwrite(fd_, data, size, 0) == static_cast<ssize_t>(size));
    return path_;
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFile scratch;
  const std::span<const std::uint8_t> bytes(data, size);
  const std::size_t used = std::min(size, kImageFileSize);
  ImageFileBytes padded{};
  std::copy_n(data, used, padded.begin());

  const PromImage raw = DecodeImageFile(bytes, ImageFileLayout::Nss);
  const PromImage mame = DecodeImageFile(bytes, ImageFileLayout::Mame);

  // The file format itself: the raw layout packs bit n into bit n mod 8 of byte n / 8; the MAME
  // layout stores it inverted in bit 7 - n mod 8. Missing bytes count as zero in the file.
  for (int n = 0; n < PromImage::kBits; ++n) {
    const std::uint8_t byte = padded[static_cast<std::size_t>(n / 8)];
    FUZZ_CHECK(raw.Bit(n) == (((byte >> (n % 8)) & 1) != 0));
    FUZZ_CHECK(mame.Bit(n) == (((byte >> (7 - n % 8)) & 1) == 0));
  }
  FUZZ_CHECK(EncodeImageFile(raw, ImageFileLayout::Nss) == padded);
  FUZZ_CHECK(EncodeImageFile(mame, ImageFileLayout::Mame) == padded);

  // The text lists the raw layout's bytes in file order.
  std::string text;
  for (std::size_t i = 0; i < kImageFileSize; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 8 ? " %02X" : "%02X", padded[i]);
    text += hex;
  }
  FUZZ_CHECK(FormatImageText(raw) == text);

  // The same bytes as a file: the open reads no more than 16 and decodes them as above.
  const std::string& path = scratch.Hold(data, size);
  std::vector<std::uint8_t> read;
  FUZZ_CHECK(ReadImageFileBytes(path, read));
  FUZZ_CHECK(read == std::vector<std::uint8_t>(data, data + used));
  PromImage opened = DefaultBufferImage();
  FUZZ_CHECK(OpenImageFile(path, ImageFileLayout::Mame, opened));
  FUZZ_CHECK(opened == mame);
  FUZZ_CHECK(OpenImageFile(path, ImageFileLayout::Nss, opened));
  FUZZ_CHECK(opened == raw);
  return 0;
}
