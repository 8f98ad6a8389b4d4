// The read-out protocol against a simulated RP5H01: pin sequence and pacing, bit order,
// notifications, failed pin operations and stopping.
#include <gtest/gtest.h>

#include <atomic>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

TEST(ReadOut, DrivesResetThenThreeClockWritesPerBitEachFollowedByItsWait) {
  const PromImage chip = SimulatedSampleImage();
  ConnectedSimulation s(chip);
  const ReadResult result = s.Read();

  // Each clock write carries the byte just read: D0 high, low, high, with D1 low and D4 echoing the
  // sampled data level.
  std::vector<std::uint8_t> expected = {0x03, 0x01};
  for (int n = 0; n < PromImage::kBits; ++n) {
    const std::uint8_t read = static_cast<std::uint8_t>(0x01 | (chip.Bit(n) ? 0x10 : 0));
    expected.insert(expected.end(), {static_cast<std::uint8_t>(read | 0x01),
                                     static_cast<std::uint8_t>(read & ~0x01),
                                     static_cast<std::uint8_t>(read | 0x01)});
  }
  EXPECT_EQ(s.sim.WrittenBytes(), expected);
  EXPECT_EQ(s.sim.PinWrites(), 386);
  EXPECT_EQ(s.sim.PinReads(), 256);

  ASSERT_EQ(s.waits.size(), 386u);
  for (std::size_t i = 0; i < s.waits.size(); ++i) {
    EXPECT_EQ(s.waits[i].first, static_cast<int>(i + 1)) << "wait " << i << " not right after its write";
    EXPECT_EQ(s.waits[i].second, i < 2 ? 20 : 10) << "wait " << i;
  }
  EXPECT_EQ(result.outcome, ReadOutcome::Complete);
  EXPECT_EQ(result.failedPinOperations, 0);
  EXPECT_EQ(result.bitsRead, 128);
}

struct BitOrderCase {
  const char* name;
  PromImage chip;
  const char* text;
};

class ReadOutBitOrder : public ::testing::TestWithParam<BitOrderCase> {};

TEST_P(ReadOutBitOrder, StoresStreamBitNAtBitNAndFormatsInChipOrder) {
  ConnectedSimulation s(GetParam().chip);
  const ReadResult result = s.Read();
  EXPECT_EQ(s.image, GetParam().chip);
  EXPECT_EQ(result.text, GetParam().text);
  EXPECT_EQ(s.receiver.doneText, GetParam().text);
  EXPECT_EQ(result.outcome, ReadOutcome::Complete);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, ReadOutBitOrder,
    ::testing::Values(
        BitOrderCase{"Bit0", ImageWithBits({0}), "0100000000000000 0000000000000000"},
        BitOrderCase{"Bit7", ImageWithBits({7}), "8000000000000000 0000000000000000"},
        BitOrderCase{"Bit64", ImageWithBits({64}), "0000000000000000 0100000000000000"},
        BitOrderCase{"Bit127", ImageWithBits({127}), "0000000000000000 0000000000000080"},
        BitOrderCase{"Bits0_7_64_127", ImageWithBits({0, 7, 64, 127}),
                     "8100000000000000 0100000000000080"},
        BitOrderCase{"AllOnes", AllOnes(), "FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"},
        BitOrderCase{"AllZeros", PromImage{}, "0000000000000000 0000000000000000"},
        BitOrderCase{"Sample", SimulatedSampleImage(), "0123456789ABCDEF FEDCBA9876543210"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadOut, ReportsProgressOneTo128ThenExactlyOneDone) {
  ConnectedSimulation s;
  s.Read();
  ASSERT_EQ(s.receiver.progress.size(), 128u);
  for (std::size_t i = 0; i < 128; ++i) {
    EXPECT_EQ(s.receiver.progress[i], i + 1);
    EXPECT_EQ(s.receiver.progressLParams[i], 0);
  }
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_TRUE(s.receiver.doneAfterAllProgress);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Complete);
}

TEST(ReadOut, SecondReadStartsFromAClearedImage) {
  ConnectedSimulation s(AllOnes());
  s.Read();
  ASSERT_EQ(s.image, AllOnes());
  s.sim.SetChip(ImageWithBits({5, 100}));
  const ReadResult second = s.Read();
  EXPECT_EQ(s.image, ImageWithBits({5, 100}));
  EXPECT_EQ(second.outcome, ReadOutcome::Complete);
}

TEST(ReadOut, ProgrammerGoneFromTheStartGivesZerosAndFailed) {
  ConnectedSimulation s(AllOnes());
  SimulatedOptions options;
  options.unplugged = true;
  s.sim.SetOptions(options);
  const ReadResult result = s.Read();
  EXPECT_EQ(result.text, "0000000000000000 0000000000000000");
  EXPECT_EQ(result.outcome, ReadOutcome::Failed);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
  EXPECT_EQ(result.failedPinOperations, 386 + 256);
  // The protocol still runs to the end, so the chip stays in step with the count.
  EXPECT_EQ(s.receiver.progress.size(), 128u);
  EXPECT_EQ(s.receiver.doneCount, 1);
}

struct FailingReadsCase {
  int failFrom;         // clocks after reset from which pin reads fail
  bool lastGoodLevel;   // level of the last bit sampled before the failures
};

class ReadOutFailingReads : public ::testing::TestWithParam<FailingReadsCase> {};

TEST_P(ReadOutFailingReads, LaterBitsRepeatTheLastGoodLevelAndTheReadFails) {
  const auto [k, level] = GetParam();
  // The bit sampled last before the failures has `level`; every other bit has the opposite one,
  // so a repeated level cannot be mistaken for real data.
  PromImage chip = level ? PromImage{} : AllOnes();
  if (k > 0) chip.SetBit(k - 1, level);
  ConnectedSimulation s(chip);
  SimulatedOptions options;
  options.failReadsFromBit = k;
  s.sim.SetOptions(options);

  const ReadResult result = s.Read();

  PromImage expected;
  for (int n = 0; n < PromImage::kBits; ++n) {
    expected.SetBit(n, n < k - 1 ? chip.Bit(n) : (k == 0 ? false : level));
  }
  EXPECT_EQ(s.image, expected);
  EXPECT_EQ(result.outcome, ReadOutcome::Failed);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
  // Bit k-1's second read already sees k clocks, so 1 + 2 per later bit fail.
  EXPECT_EQ(result.failedPinOperations, k == 0 ? 256 : 1 + 2 * (128 - k));
  EXPECT_EQ(s.receiver.progress.size(), 128u);
}

INSTANTIATE_TEST_SUITE_P(FromBit, ReadOutFailingReads,
                         ::testing::Values(FailingReadsCase{0, false}, FailingReadsCase{1, true},
                                           FailingReadsCase{40, true}, FailingReadsCase{64, false},
                                           FailingReadsCase{65, true}, FailingReadsCase{127, false}));

class ReadOutStop : public ::testing::TestWithParam<int> {};

TEST_P(ReadOutStop, StopsAtTheNextBitBoundaryKeepingTheBitsRead) {
  const int k = GetParam();
  ConnectedSimulation s(AllOnes());
  std::atomic<bool> stop{false};
  s.receiver.onProgress = [&](std::uintptr_t bits) {
    if (static_cast<int>(bits) == k) stop = true;
  };
  const ReadResult result = s.Read(&stop);

  EXPECT_EQ(s.receiver.progress.size(), static_cast<std::size_t>(k));
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Stopped);
  EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
  EXPECT_EQ(result.bitsRead, k);
  for (int n = 0; n < PromImage::kBits; ++n) EXPECT_EQ(s.image.Bit(n), n < k) << "bit " << n;
  EXPECT_EQ(s.sim.PinReads(), 2 * k);
}

INSTANTIATE_TEST_SUITE_P(AtBit, ReadOutStop, ::testing::Values(1, 63, 64, 127));

TEST(ReadOut, StopBeforeTheFirstBitReadsNothing) {
  ConnectedSimulation s(AllOnes());
  std::atomic<bool> stop{true};
  const ReadResult result = s.Read(&stop);
  EXPECT_TRUE(s.receiver.progress.empty());
  EXPECT_EQ(result.outcome, ReadOutcome::Stopped);
  EXPECT_EQ(result.text, "0000000000000000 0000000000000000");
  EXPECT_EQ(s.sim.PinReads(), 0);
}

TEST(ReadOut, AFailureBeforeAStopIsReportedAsFailed) {
  ConnectedSimulation s(AllOnes());
  SimulatedOptions options;
  options.failReadsFromBit = 3;
  s.sim.SetOptions(options);
  std::atomic<bool> stop{false};
  s.receiver.onProgress = [&](std::uintptr_t bits) { stop = bits == 10; };
  const ReadResult result = s.Read(&stop);
  EXPECT_EQ(s.receiver.progress.size(), 10u);
  EXPECT_EQ(result.outcome, ReadOutcome::Failed);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
}

}  // namespace
}  // namespace quarrow::test
