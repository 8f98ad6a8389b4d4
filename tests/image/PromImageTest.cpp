// SPDX-License-Identifier: GPL-3.0-or-later
// Bit orders, text form, default buffer image and comparison of PROM images.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "PromImage.h"

namespace quarrow {
namespace {

std::uint64_t Value(std::bitset<64> word) { return word.to_ullong(); }

TEST(BitOrders, WorkedExamplesOfBothTransforms) {
  EXPECT_EQ(Value(ByteReverse64(0x0123456789ABCDEFULL)), 0xEFCDAB8967452301ULL);
  EXPECT_EQ(Value(InvertMirror64(0x0123456789ABCDEFULL)), 0x7F3B5D196E2A4C08ULL);
  EXPECT_EQ(Value(InvertMirror64(0x7F3B5D196E2A4C08ULL)), 0x0123456789ABCDEFULL);
  EXPECT_EQ(Value(InvertMirror64(0)), ~0ULL);
}

// Each byte value must map the same way whichever of the eight byte positions it sits in, and must
// stay in that position; the other (zero) bytes become 0xFF.
TEST(BitOrders, InvertMirrorMapsEachByteInPlace) {
  const std::pair<std::uint8_t, std::uint8_t> table[] = {
      {0x00, 0xFF}, {0xFF, 0x00}, {0x01, 0x7F}, {0x80, 0xFE},
      {0x12, 0xB7}, {0xA5, 0x5A}, {0x0F, 0x0F}, {0x3C, 0xC3}};
  for (const auto& [in, out] : table) {
    for (int k = 0; k < 8; ++k) {
      const std::uint64_t word = std::uint64_t{in} << (8 * k);
      const std::uint64_t expected = (~0ULL & ~(0xFFULL << (8 * k))) | (std::uint64_t{out} << (8 * k));
      EXPECT_EQ(Value(InvertMirror64(word)), expected) << "byte " << int(in) << " at position " << k;
    }
  }
}

TEST(BitOrders, BothTransformsAreTheirOwnInverseAndDiffer) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 2000; ++i) {
    const std::bitset<64> word(random());
    EXPECT_EQ(ByteReverse64(ByteReverse64(word)), word);
    EXPECT_EQ(InvertMirror64(InvertMirror64(word)), word);
    // Inverting changes every bit's value, so the transform never fixes a word.
    EXPECT_NE(InvertMirror64(word), word);
    EXPECT_EQ(ByteReverse64(word).count(), word.count());
  }
}

struct TextCase {
  int bit;
  const char* text;
};
// Names the case in test listings by its content rather than by its bytes.
void PrintTo(const TextCase& c, std::ostream* os) { *os << "bit " << c.bit; }

class SingleBitText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SingleBitText, ReadsInChipOrder) {
  PromImage image;
  image.SetBit(GetParam().bit);
  EXPECT_EQ(FormatImageText(image), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, SingleBitText,
    ::testing::Values(TextCase{0, "0100000000000000 0000000000000000"},
                      TextCase{7, "8000000000000000 0000000000000000"},
                      TextCase{8, "0001000000000000 0000000000000000"},
                      TextCase{63, "0000000000000080 0000000000000000"},
                      TextCase{64, "0000000000000000 0100000000000000"},
                      TextCase{127, "0000000000000000 0000000000000080"}),
    [](const auto& info) { return "Bit" + std::to_string(info.param.bit); });

TEST(ImageText, InitialTextsOfChipAndBuffer) {
  EXPECT_EQ(FormatImageText(PromImage{}), "0000000000000000 0000000000000000");
  const PromImage buffer = DefaultBufferImage();
  EXPECT_EQ(Value(buffer.word0), ~0ULL);
  EXPECT_EQ(Value(buffer.word1), 0x0000FFFF0000FFFFULL);
  EXPECT_EQ(FormatImageText(buffer), "FFFFFFFFFFFFFFFF FFFF0000FFFF0000");
}

TEST(Compare, EqualImagesMatch) {
  std::mt19937_64 random(7);
  PromImage a;
  a.word0 = random();
  a.word1 = random();
  const ImageComparison result = CompareImages(a, a);
  EXPECT_TRUE(result.match);
  EXPECT_TRUE(result.differingBits.empty());
}

TEST(Compare, SingleDifferingBitAtEitherEndIsFoundInEitherWord) {
  for (int bit : {0, 63, 64, 127}) {
    PromImage chip = DefaultBufferImage();
    PromImage file = chip;
    file.SetBit(bit, !file.Bit(bit));
    const ImageComparison result = CompareImages(chip, file);
    EXPECT_FALSE(result.match) << bit;
    EXPECT_EQ(result.differingBits, std::vector<int>{bit});
  }
}

TEST(Compare, ListsEveryDifferenceInAscendingOrder) {
  PromImage chip;
  PromImage file;
  for (int bit : {127, 3, 64, 0}) file.SetBit(bit);
  EXPECT_EQ(CompareImages(chip, file).differingBits, (std::vector<int>{0, 3, 64, 127}));
  // A chip never read against the default buffer differs in the 96 set bits of the default.
  EXPECT_EQ(CompareImages(PromImage{}, DefaultBufferImage()).differingBits.size(), 96u);
}

}  // namespace
}  // namespace quarrow
