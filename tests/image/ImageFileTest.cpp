// SPDX-License-Identifier: GPL-3.0-or-later
// The two 16-byte image-file layouts as pure conversions.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ImageFile.h"
#include "PrintableText.h"

namespace quarrow {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const PromImage& image, ImageFileLayout layout) {
  const ImageFileBytes bytes = EncodeImageFile(image, layout);
  return Bytes(bytes.begin(), bytes.end());
}

Bytes Filled(std::uint8_t first, std::uint8_t rest) {
  Bytes bytes(16, rest);
  bytes[0] = first;
  return bytes;
}

PromImage RandomImage(std::mt19937_64& random) {
  PromImage image;
  image.word0 = random();
  image.word1 = random();
  return image;
}

TEST(Encode, WorkedExampleInBothLayouts) {
  PromImage image;
  image.word0 = 0x0123456789ABCDEFULL;
  EXPECT_EQ(Encoded(image, ImageFileLayout::Nss),
            (Bytes{0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Encoded(image, ImageFileLayout::Mame),
            (Bytes{0x08, 0x4C, 0x2A, 0x6E, 0x19, 0x5D, 0x3B, 0x7F,
                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(Encode, SingleBitsAndTheBlankChip) {
  PromImage blank;
  EXPECT_EQ(Encoded(blank, ImageFileLayout::Mame), Bytes(16, 0xFF));
  EXPECT_EQ(Encoded(blank, ImageFileLayout::Nss), Bytes(16, 0x00));

  PromImage bit0;
  bit0.SetBit(0);
  EXPECT_EQ(Encoded(bit0, ImageFileLayout::Mame), Filled(0x7F, 0xFF));
  EXPECT_EQ(Encoded(bit0, ImageFileLayout::Nss), Filled(0x01, 0x00));

  PromImage bit7;
  bit7.SetBit(7);
  EXPECT_EQ(Encoded(bit7, ImageFileLayout::Mame), Filled(0xFE, 0xFF));
  EXPECT_EQ(Encoded(bit7, ImageFileLayout::Nss), Filled(0x80, 0x00));

  PromImage bit127;
  bit127.SetBit(127);
  Bytes raw(16, 0x00);
  raw[15] = 0x80;
  EXPECT_EQ(Encoded(bit127, ImageFileLayout::Nss), raw);
  Bytes mame(16, 0xFF);
  mame[15] = 0xFE;
  EXPECT_EQ(Encoded(bit127, ImageFileLayout::Mame), mame);
}

// The text of an image lists its raw-layout bytes in file order.
TEST(Encode, TextPairsAreTheRawBytes) {
  std::mt19937_64 random(99);
  for (int i = 0; i < 200; ++i) {
    const PromImage image = RandomImage(random);
    const Bytes raw = Encoded(image, ImageFileLayout::Nss);
    std::string hex;
    char pair[3];
    for (std::size_t b = 0; b < raw.size(); ++b) {
      std::snprintf(pair, sizeof pair, "%02X", raw[b]);
      hex += pair;
      if (b == 7) hex += ' ';
    }
    EXPECT_EQ(FormatImageText(image), hex);
  }
}

struct DecodeCase {
  const char* name;
  Bytes bytes;
  const char* rawText;
  const char* mameText;
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

Bytes Counting(std::uint8_t first, std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

class DecodeShortAndLong : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeShortAndLong, MissingBytesCountAsZeroAndExtraBytesAreIgnored) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(FormatImageText(DecodeImageFile(c.bytes, ImageFileLayout::Nss)), c.rawText);
  EXPECT_EQ(FormatImageText(DecodeImageFile(c.bytes, ImageFileLayout::Mame)), c.mameText);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeShortAndLong,
    ::testing::Values(
        DecodeCase{"Empty", {}, "0000000000000000 0000000000000000",
                   "FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"},
        DecodeCase{"FiveBytes", {0x11, 0x22, 0x33, 0x44, 0x55}, "1122334455000000 0000000000000000",
                   "77BB33DD55FFFFFF FFFFFFFFFFFFFFFF"},
        DecodeCase{"TwelveBytes", Counting(0x10, 12), "1011121314151617 18191A1B00000000",
                   "F777B737D7579717 E767A727FFFFFFFF"},
        DecodeCase{"TwentyBytes", Counting(0x10, 20), "1011121314151617 18191A1B1C1D1E1F",
                   "F777B737D7579717 E767A727C7478707"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Decode, TwentyBytesDecodeAsTheirFirstSixteen) {
  std::mt19937_64 random(5);
  for (auto layout : {ImageFileLayout::Mame, ImageFileLayout::Nss}) {
    Bytes bytes(20);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    EXPECT_EQ(DecodeImageFile(bytes, layout),
              DecodeImageFile(std::span(bytes).first(16), layout));
  }
}

TEST(Decode, RandomImagesRoundTripInBothLayouts) {
  std::mt19937_64 random(1234);
  for (int i = 0; i < 1000; ++i) {
    const PromImage image = RandomImage(random);
    for (auto layout : {ImageFileLayout::Mame, ImageFileLayout::Nss}) {
      const ImageFileBytes bytes = EncodeImageFile(image, layout);
      EXPECT_EQ(DecodeImageFile(bytes, layout), image);
    }
  }
}

TEST(Decode, RawFileReadAsMameIsInvertMirrorOfEachWord) {
  std::mt19937_64 random(77);
  for (int i = 0; i < 100; ++i) {
    const PromImage image = RandomImage(random);
    const PromImage crossed =
        DecodeImageFile(EncodeImageFile(image, ImageFileLayout::Nss), ImageFileLayout::Mame);
    EXPECT_EQ(crossed.word0, InvertMirror64(image.word0));
    EXPECT_EQ(crossed.word1, InvertMirror64(image.word1));
  }
}

// The escapes a terminal could act on: C0 and C1 controls, and bytes that are not UTF-8 (a lone
// 0x9B is CSI to some terminals). Well-formed text, backslashes included, is left alone.
TEST(PrintableText, EscapesControlsAndMalformedBytesOnly) {
  EXPECT_EQ(PrintableText("Ränder\\dump 日本.prm"), "Ränder\\dump 日本.prm");
  EXPECT_EQ(PrintableText("a\nb\r\t\x1B[2J\x7F"), "a\\nb\\r\\t\\e[2J\\x7F");
  EXPECT_EQ(PrintableText("\xC2\x9B" "1m \x9B \xC3 \xED\xA0\x80"),
            "\\xC2\\x9B1m \\x9B \\xC3 \\xED\\xA0\\x80");
}

}  // namespace
}  // namespace quarrow
