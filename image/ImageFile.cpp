// SPDX-License-Identifier: GPL-3.0-or-later
// The two image-file layouts, and the open of an image file on top of the platform's file reading.
#include "ImageFile.h"

namespace quarrow {

namespace {

std::uint64_t FileWord(const std::bitset<64>& word, ImageFileLayout layout) {
  return (layout == ImageFileLayout::Mame ? InvertMirror64(word) : word).to_ullong();
}

std::bitset<64> ImageWord(std::uint64_t value, ImageFileLayout layout) {
  std::bitset<64> word(value);
  return layout == ImageFileLayout::Mame ? InvertMirror64(word) : word;
}

}  // namespace

ImageFileLayout LayoutForFileName(const std::filesystem::path& path) {
  const std::u8string extension = path.extension().u8string();
  const bool nss = extension.size() == 4 && extension[0] == u8'.' &&
                   (extension[1] | 0x20) == u8'n' && (extension[2] | 0x20) == u8's' &&
                   (extension[3] | 0x20) == u8's';
  return nss ? ImageFileLayout::Nss : ImageFileLayout::Mame;
}

ImageFileBytes EncodeImageFile(const PromImage& image, ImageFileLayout layout) {
  ImageFileBytes bytes{};
  const std::uint64_t words[2] = {FileWord(image.word0, layout), FileWord(image.word1, layout)};
  for (std::size_t i = 0; i < kImageFileSize; ++i) {
    bytes[i] = static_cast<std::uint8_t>(words[i / 8] >> (8 * (i % 8)));
  }
  return bytes;
}

PromImage DecodeImageFile(std::span<const std::uint8_t> bytes, ImageFileLayout layout) {
  std::uint64_t words[2] = {0, 0};
  const std::size_t count = bytes.size() < kImageFileSize ? bytes.size() : kImageFileSize;
  for (std::size_t i = 0; i < count; ++i) {
    words[i / 8] |= std::uint64_t{bytes[i]} << (8 * (i % 8));
  }
  PromImage image;
  image.word0 = ImageWord(words[0], layout);
  image.word1 = ImageWord(words[1], layout);
  return image;
}

FileStatus SaveImageFile(const std::filesystem::path& path, const PromImage& image,
                         ImageFileLayout layout) {
  return SaveFileBytes(path, EncodeImageFile(image, layout));
}

FileStatus ReadImageFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  std::string contents;
  FileStatus status = ReadRegularFileStart(path, kImageFileSize, "an image file", contents);
  if (status) bytes.assign(contents.begin(), contents.end());
  return status;
}

FileStatus OpenImageFile(const std::filesystem::path& path, ImageFileLayout layout, PromImage& image) {
  std::vector<std::uint8_t> bytes;
  FileStatus status = ReadImageFileBytes(path, bytes);
  if (status) image = DecodeImageFile(bytes, layout);
  return status;
}

}  // namespace quarrow
