// SPDX-License-Identifier: GPL-3.0-or-later
// Identification against a table made here, the near misses with their causes, and the diagnoses.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ConvertAdvice.h"
#include "Diagnosis.h"
#include "IdentificationText.h"
#include "KnownDumpsText.h"
#include "Identify.h"
#include "ReadStability.h"

namespace quarrow {
namespace {

PromImage RandomImage(unsigned seed) {
  std::mt19937_64 random(seed);
  return {std::bitset<64>(random()), std::bitset<64>(random())};
}

std::string HashesOf(const PromImage& image, ImageFileLayout layout) {
  std::string error;
  const std::optional<ImageHashes> hashes = HashBytes(EncodeImageFile(image, layout), error);
  EXPECT_TRUE(hashes) << error;
  return hashes ? hashes->crc32 + "\t" + hashes->sha1 : "";
}

// Three dumps: one in the MAME layout, one in the raw layout, one shared by two sets; and a set
// without a dump.
class IdentifyTest : public ::testing::Test {
 protected:
  IdentifyTest() {
    const std::string text =
        "set\ttitle\tyear\tmanufacturer\tcrc32\tsha1\tlayout\n"
        "pc_mame\tMame Game (PlayChoice-10)\t1985\tNintendo\t" +
        HashesOf(mameDump, ImageFileLayout::Mame) +
        "\tmame\n"
        "nss_raw\tRaw Game (Nintendo Super System)\t1992\tOcean\t" +
        HashesOf(rawDump, ImageFileLayout::Nss) +
        "\traw\n"
        "pc_one\tShared One\t1987\tTecmo\t" +
        HashesOf(sharedDump, ImageFileLayout::Mame) +
        "\tmame\n"
        "pc_two\tShared Two\t1988\tTecmo\t" +
        HashesOf(sharedDump, ImageFileLayout::Mame) +
        "\tmame\n"
        "nss_none\tNo Dump\t1993\tNintendo\t\t\traw\n";
    TableProblem problem;
    std::optional<KnownDumpTable> parsed = ParseKnownDumps(text, "made.tsv", problem);
    EXPECT_TRUE(parsed) << TableProblemText(problem);
    if (parsed) table = std::move(*parsed);
  }

  Identification Identify(const PromImage& image) const {
    std::string error;
    std::optional<Identification> identification = IdentifyImage(image, table, error);
    EXPECT_TRUE(identification) << error;
    return identification.value_or(Identification{});
  }

  static std::vector<std::string> SetNames(const Identification& identification) {
    std::vector<std::string> names;
    for (const KnownDump& set : identification.sets) names.push_back(set.set);
    return names;
  }

  const PromImage mameDump = RandomImage(1);
  const PromImage rawDump = RandomImage(2);
  const PromImage sharedDump = RandomImage(3);
  KnownDumpTable table;
};

TEST_F(IdentifyTest, KnownDumpsAreFoundInTheirOwnLayoutAndNameEverySet) {
  const Identification mame = Identify(mameDump);
  EXPECT_EQ(mame.result, IdentificationResult::KnownDump);
  EXPECT_EQ(SetNames(mame), std::vector<std::string>{"pc_mame"});
  EXPECT_EQ(IdentificationSentence(mame, {}),
            "Known dump: pc_mame, Mame Game (PlayChoice-10), Nintendo 1985");
  EXPECT_EQ(IdentificationShort(mame), "pc_mame");

  const Identification raw = Identify(rawDump);
  EXPECT_EQ(raw.result, IdentificationResult::KnownDump);
  EXPECT_EQ(SetNames(raw), std::vector<std::string>{"nss_raw"});

  const Identification shared = Identify(sharedDump);
  EXPECT_EQ(SetNames(shared), (std::vector<std::string>{"pc_one", "pc_two"}));
  EXPECT_EQ(IdentificationSentence(shared, {}),
            "Known dump: pc_one, Shared One, Tecmo 1987; pc_two, Shared Two, Tecmo 1988");
  EXPECT_EQ(IdentificationShort(shared), "pc_one +1");
}

// Each variant is made the way the fault makes it, not by the code under test.
PromImage MirrorBytes(const PromImage& image) {
  ImageFileBytes bytes = EncodeImageFile(image, ImageFileLayout::Nss);
  for (std::uint8_t& b : bytes) {
    std::uint8_t mirrored = 0;
    for (int i = 0; i < 8; ++i) {
      mirrored = static_cast<std::uint8_t>(mirrored | (((b >> i) & 1) << (7 - i)));
    }
    b = mirrored;
  }
  return DecodeImageFile(bytes, ImageFileLayout::Nss);
}

TEST_F(IdentifyTest, NearMissesNameTheSetAndTheCause) {
  struct Case {
    NearMiss kind;
    PromImage image;
    const char* cause;
  } cases[] = {
      {NearMiss::Inverted, {~mameDump.word0, ~mameDump.word1}, "polarity"},
      {NearMiss::Mirrored, MirrorBytes(rawDump), "bit order"},
      // A MAME-layout file opened as a raw one.
      {NearMiss::InvertedMirrored,
       DecodeImageFile(EncodeImageFile(mameDump, ImageFileLayout::Mame), ImageFileLayout::Nss),
       "other layout"},
      {NearMiss::HalvesSwapped, {rawDump.word1, rawDump.word0}, "half-way"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    const Identification identification = Identify(c.image);
    EXPECT_EQ(identification.result, IdentificationResult::NearMiss);
    EXPECT_EQ(identification.nearMiss, c.kind);
    ASSERT_EQ(identification.sets.size(), 1u);
    const std::string sentence = IdentificationSentence(identification, {});
    EXPECT_EQ(sentence.rfind("Near miss: matches " + SetDescription(identification.sets[0]), 0), 0u)
        << sentence;
    EXPECT_NE(sentence.find(c.cause), std::string::npos) << sentence;
    EXPECT_EQ(IdentificationShort(identification), "near miss: " + identification.sets[0].set);
  }
}

TEST_F(IdentifyTest, ARandomImageIsUnknownAndTheSentenceCountsTheTablesDumps) {
  const Identification identification = Identify(RandomImage(4));
  EXPECT_EQ(identification.result, IdentificationResult::Unknown);
  EXPECT_TRUE(identification.sets.empty());
  EXPECT_EQ(identification.tableDumps, 3u);
  EXPECT_NE(IdentificationSentence(identification, {}).find("none of the 3 dumps"), std::string::npos);
  EXPECT_EQ(IdentificationShort(identification), "unknown dump");
  // Only a read no diagnosis doubts is worth sending anyone.
  EXPECT_NE(IdentificationSentence(identification, {}).find("MAME"), std::string::npos);
  EXPECT_EQ(IdentificationSentence(identification, {Diagnosis::TestPinLow}).find("MAME"),
            std::string::npos);
}

// The raw dump's own file opened as a MAME-layout one is that dump, not a near miss whose
// conversion would rewrite it; convert may copy it as it stands but not turn it into another file.
TEST_F(IdentifyTest, AKnownDumpsFileIsKnownByItsBytesAndNotConvertedIntoAnother) {
  const ImageFileBytes rawFile = EncodeImageFile(rawDump, ImageFileLayout::Nss);
  std::string error;
  const std::optional<Identification> asMame =
      IdentifyFile(rawFile, ImageFileLayout::Mame, table, error);
  ASSERT_TRUE(asMame) << error;
  EXPECT_EQ(asMame->result, IdentificationResult::KnownDump);
  EXPECT_EQ(SetNames(*asMame), std::vector<std::string>{"nss_raw"});
  EXPECT_EQ(asMame->openAs, ImageFileLayout::Nss);
  EXPECT_NE(IdentificationSentence(*asMame, {}).find("in the raw (NSS) layout"), std::string::npos);
  const std::optional<Identification> asRaw =
      IdentifyFile(rawFile, ImageFileLayout::Nss, table, error);
  ASSERT_TRUE(asRaw) << error;
  EXPECT_FALSE(asRaw->openAs);
  // Fifteen of its bytes are no file of MAME's.
  const std::optional<Identification> cut = IdentifyFile(
      std::span(rawFile).first(15), ImageFileLayout::Mame, table, error);
  ASSERT_TRUE(cut) << error;
  EXPECT_NE(cut->result, IdentificationResult::KnownDump);

  std::optional<DumpLoss> loss;
  ASSERT_TRUE(FindDumpLoss(rawFile, {ImageFileLayout::Nss, ImageFileLayout::Mame, {}}, table, loss,
                           error));
  ASSERT_TRUE(loss);
  EXPECT_EQ(loss->layout, ImageFileLayout::Nss);
  ASSERT_TRUE(FindDumpLoss(rawFile, {ImageFileLayout::Nss, ImageFileLayout::Nss, {}}, table, loss,
                           error));
  EXPECT_FALSE(loss);
}

// Each near miss, written as a file in either layout, is turned back into its dump by the
// conversion suggested for it; and the file of a dump read in the wrong layout is caught.
TEST_F(IdentifyTest, SuggestedRepairsUndoEachNearMissAndAWrongLayoutIsFound) {
  for (NearMiss kind : {NearMiss::Inverted, NearMiss::Mirrored, NearMiss::InvertedMirrored,
                        NearMiss::HalvesSwapped}) {
    for (ImageFileLayout layout : {ImageFileLayout::Mame, ImageFileLayout::Nss}) {
      const ImageFileBytes file = EncodeImageFile(NearMissVariant(mameDump, kind), layout);
      const Identification nearMiss = Identify(DecodeImageFile(file, layout));
      ASSERT_EQ(nearMiss.nearMiss, kind);
      const std::optional<ConvertRepair> repair = RepairForNearMiss(kind, layout);
      ASSERT_TRUE(repair);
      EXPECT_EQ(RepairedImage(DecodeImageFile(file, repair->from), repair->repairs), mameDump)
          << static_cast<int>(kind);
    }
  }

  const ImageFileBytes mameFile = EncodeImageFile(mameDump, ImageFileLayout::Mame);
  std::optional<LayoutMistake> mistake;
  std::string error;
  ASSERT_TRUE(FindLayoutMistake(mameFile, ImageFileLayout::Nss, {}, table, mistake, error));
  ASSERT_TRUE(mistake);  // its layout and set are named by the CLI's convert test
  ASSERT_TRUE(FindLayoutMistake(mameFile, ImageFileLayout::Mame, {}, table, mistake, error));
  EXPECT_FALSE(mistake);
}

TEST(ReadStability, UnstableBitsCountTheReadsThatGaveOne) {
  PromImage one = RandomImage(4);
  std::vector<PromImage> reads(5, one);
  EXPECT_TRUE(UnstableBits(reads).empty());
  reads[1].SetBit(0, !one.Bit(0));
  reads[3].SetBit(127, !one.Bit(127));
  reads[4].SetBit(127, !one.Bit(127));
  const int ones0 = one.Bit(0) ? 4 : 1;
  const int ones127 = one.Bit(127) ? 3 : 2;
  EXPECT_EQ(UnstableBits(reads),
            (std::vector<UnstableBit>{{0, ones0, 5}, {127, ones127, 5}}));
}

TEST(Diagnosis, EachPatternGivesItsOwnDiagnosisAndARandomReadNone) {
  const PromImage random = RandomImage(5);
  PromImage testPinLow = random;
  testPinLow.word1 = testPinLow.word0;
  PromImage otherRead = random;
  otherRead.SetBit(77, !otherRead.Bit(77));
  PromImage ones;
  ones.word0.set();
  ones.word1.set();

  EXPECT_EQ(DiagnoseRead(random), std::vector<Diagnosis>{});
  EXPECT_EQ(DiagnoseRead(random, &random), std::vector<Diagnosis>{});
  EXPECT_EQ(DiagnoseRead(random, &otherRead), std::vector<Diagnosis>{Diagnosis::ReadsDiffer});
  EXPECT_EQ(DiagnoseRead(ones), std::vector<Diagnosis>{Diagnosis::AllOnes});
  EXPECT_EQ(DiagnoseRead(PromImage{}), std::vector<Diagnosis>{Diagnosis::AllZeros});
  EXPECT_EQ(DiagnoseRead(testPinLow), std::vector<Diagnosis>{Diagnosis::TestPinLow});
  EXPECT_EQ(DiagnoseRead(BlankChipImage()), std::vector<Diagnosis>{Diagnosis::BlankChip});
}

// MAME's RP5H01 model gives the unprogrammed chip's file and hashes in both layouts.
TEST(Diagnosis, BlankChipPatternAndHashesAreMamesInBothLayouts) {
  const ImageFileBytes mame = EncodeImageFile(BlankChipImage(), ImageFileLayout::Mame);
  EXPECT_EQ(mame, (ImageFileBytes{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00,
                                  0x00, 0xff, 0xff, 0x00, 0x00}));
  std::string error;
  EXPECT_EQ(HashBytes(mame, error),
            (ImageHashes{"af35b8a5", "7e94610555f7e6c8b209356c0950df475ab87127"}));
  EXPECT_EQ(HashBytes(EncodeImageFile(BlankChipImage(), ImageFileLayout::Nss), error),
            (ImageHashes{"7c3d35ea", "a701702ad525f5d82d09e5369bdf309dee199706"}));
}

}  // namespace
}  // namespace quarrow
