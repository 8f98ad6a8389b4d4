// SPDX-License-Identifier: GPL-3.0-or-later
// The read-out against a simulated RP5H01: pin sequence and pacing, bit order, events,
// failed pin operations and stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

TEST(ReadOut, ResetsThenClocksEachBitWithTheByteJustReadAndWaitsAfterEveryWrite) {
  const PromImage chip = SimulatedSampleImage();
  ConnectedSimulation s(chip);
  const ReadCompletion result = s.Read();

  // D0 high, low, high; D1 stays low and D4 echoes the level just sampled; the other pins, inputs
  // floating high, stay written low.
  std::vector<std::uint8_t> expected = {0x03, 0x01};
  for (int n = 0; n < PromImage::kBits; ++n) {
    const std::uint8_t d = chip.Bit(n) ? 0x10 : 0x00;
    expected.insert(expected.end(), {std::uint8_t(d | 1), d, std::uint8_t(d | 1)});
  }
  EXPECT_EQ(s.record.WrittenBytes(), expected);
  // Only clock and reset are outputs: D4's bit lands on an input, where it does nothing.
  EXPECT_EQ(s.record.DrivenPins(), 0x03);
  EXPECT_EQ(s.record.PinWrites(), 386);
  EXPECT_EQ(s.record.PinReads(), 256);
  ASSERT_EQ(s.waits.size(), 386u);
  for (int i = 0; i < 386; ++i) {
    EXPECT_EQ(s.waits[i], std::make_pair(i + 1, i < 2 ? 20 : 10)) << "wait " << i;
  }
  EXPECT_EQ(result.outcome, ReadOutcome::Complete);
  EXPECT_EQ(result.bitsRead, 128);
}

struct BitOrderCase {
  const char* name;
  PromImage chip;
  const char* text;
};

class ReadOutBitOrder : public ::testing::TestWithParam<BitOrderCase> {};

TEST_P(ReadOutBitOrder, StoresStreamBitNAtBitNAndShowsItInChipOrder) {
  ConnectedSimulation s(GetParam().chip);
  const ReadCompletion result = s.Read();
  EXPECT_EQ(s.image, GetParam().chip);
  EXPECT_EQ(FormatImageText(result.image), GetParam().text);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Complete);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, ReadOutBitOrder,
    ::testing::Values(
        BitOrderCase{"Bit0", ImageWithBits({0}), "0100000000000000 0000000000000000"},
        BitOrderCase{"Bit7", ImageWithBits({7}), "8000000000000000 0000000000000000"},
        BitOrderCase{"Bit64", ImageWithBits({64}), "0000000000000000 0100000000000000"},
        BitOrderCase{"Bits0_7_64_127", ImageWithBits({0, 7, 64, 127}),
                     "8100000000000000 0100000000000080"},
        BitOrderCase{"AllOnes", AllOnes(), "FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"},
        BitOrderCase{"AllZeros", PromImage{}, "0000000000000000 0000000000000000"},
        BitOrderCase{"Sample", SimulatedSampleImage(), "0123456789ABCDEF FEDCBA9876543210"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadOut, ReportsProgressOneTo128ThenOneDoneAndASecondReadStartsCleared) {
  ConnectedSimulation s(AllOnes());
  s.Read();
  std::vector<int> expected(128);
  for (int i = 0; i < 128; ++i) expected[static_cast<std::size_t>(i)] = i + 1;
  EXPECT_EQ(s.receiver.progress, expected);
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_FALSE(s.receiver.progressAfterDone);

  s.sim.SetChip(ImageWithBits({5, 100}));
  s.Read();
  EXPECT_EQ(s.image, ImageWithBits({5, 100}));
}

TEST(ReadOut, ProgrammerGoneFromTheStartGivesZerosReportedAsFailed) {
  ConnectedSimulation s(AllOnes());
  s.Set([](SimulatedOptions& o) { o.unplugged = true; });
  const ReadCompletion result = s.Read();
  EXPECT_EQ(result.image, PromImage{});
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
  EXPECT_EQ(result.failedPinOperations, 386 + 256);
  // The protocol still runs to the end.
  EXPECT_EQ(s.receiver.progress.size(), 128u);
  EXPECT_EQ(s.receiver.doneCount, 1);
}

struct FailingReadsCase {
  int failFrom;  // clocks after the reset from which pin reads fail
  bool lastGoodLevel;
};

class ReadOutFailingReads : public ::testing::TestWithParam<FailingReadsCase> {};

TEST_P(ReadOutFailingReads, LaterBitsRepeatTheLastGoodLevelAndTheReadFails) {
  const auto [k, level] = GetParam();
  // Every bit but the last one sampled before the failures has the opposite level, so a repeated
  // level cannot pass for real data.
  PromImage chip = level ? PromImage{} : AllOnes();
  if (k > 0) chip.SetBit(k - 1, level);
  ConnectedSimulation s(chip);
  SimulatedOptions options;
  options.failReadsFromBit = k;
  s.sim.SetOptions(options);

  const ReadCompletion result = s.Read();

  PromImage expected;
  for (int n = 0; n < PromImage::kBits; ++n) expected.SetBit(n, n < k - 1 ? chip.Bit(n) : k > 0 && level);
  EXPECT_EQ(s.image, expected);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
  // Bit k-1's second read already comes after k clocks.
  EXPECT_EQ(result.failedPinOperations, k == 0 ? 256 : 1 + 2 * (128 - k));
  EXPECT_EQ(s.receiver.progress.size(), 128u);
}

INSTANTIATE_TEST_SUITE_P(FromBit, ReadOutFailingReads,
                         ::testing::Values(FailingReadsCase{0, false}, FailingReadsCase{1, true},
                                           FailingReadsCase{64, false}, FailingReadsCase{65, true},
                                           FailingReadsCase{127, false}),
                         [](const auto& info) {
                           return "Bit" + std::to_string(info.param.failFrom) +
                                  (info.param.lastGoodLevel ? "AfterHigh" : "AfterLow");
                         });

class ReadOutStop : public ::testing::TestWithParam<int> {};

TEST_P(ReadOutStop, StopsAtTheNextBitBoundaryKeepingTheBitsRead) {
  const int k = GetParam();
  ConnectedSimulation s(AllOnes());
  std::atomic<bool> stop{k == 0};
  s.receiver.onProgress = [&](int bits) { stop = bits == k; };
  const ReadCompletion result = s.Read(&stop);

  EXPECT_EQ(s.receiver.progress.size(), static_cast<std::size_t>(k));
  EXPECT_EQ(s.receiver.doneCount, 1);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Stopped);
  EXPECT_EQ(result.bitsRead, k);
  for (int n = 0; n < PromImage::kBits; ++n) EXPECT_EQ(s.image.Bit(n), n < k) << "bit " << n;
  EXPECT_EQ(s.record.PinReads(), 2 * k);
}

INSTANTIATE_TEST_SUITE_P(AtBit, ReadOutStop, ::testing::Values(0, 1, 64, 127),
                         [](const auto& info) { return "Bit" + std::to_string(info.param); });

TEST(ReadOut, AFailureBeforeAStopIsReportedAsFailed) {
  ConnectedSimulation s(AllOnes());
  s.Set([](SimulatedOptions& o) { o.failReadsFromBit = 3; });
  std::atomic<bool> stop{false};
  s.receiver.onProgress = [&](int bits) { stop = bits == 10; };
  s.Read(&stop);
  EXPECT_EQ(s.receiver.progress.size(), 10u);
  EXPECT_EQ(s.receiver.doneOutcome, ReadOutcome::Failed);
}

// A programmer whose writes return only once the transfer is done, taking `writeMs`. For each write
// it notes when the operation before it had ended (the write cannot have been issued earlier),
// when it returned, and when the next operation came.
struct SlowWritingPort final : IPinPort {
  using Clock = std::chrono::steady_clock;
  explicit SlowWritingPort(int writeMs) : writeMs(writeMs) {}
  bool WritePins(std::uint8_t) override {
    Next();
    notBefore.push_back(lastEnd);
    std::this_thread::sleep_for(std::chrono::milliseconds(writeMs));
    returned.push_back(lastEnd = Clock::now());
    return true;
  }
  bool ReadPins(std::uint8_t&) override {
    Next();
    lastEnd = Clock::now();
    return true;
  }
  void Next() {
    if (next.size() < notBefore.size()) next.push_back(Clock::now());
  }
  int writeMs;
  Clock::time_point lastEnd = Clock::now();
  std::vector<Clock::time_point> notBefore, returned, next;
};

// The real wait counts from the write being issued, as the transfer is part of what it waits for,
// but never ends before the write has returned and the pins have had a little time to settle.
TEST(ReadOut, TheRealWaitCountsFromTheWriteAndNeverEndsBeforeItReturned) {
  for (int writeMs : {3, 12}) {
    SlowWritingPort port(writeMs);
    const PinAssignment pins;
    const WaitFunction real = SleepMilliseconds;
    PinClocking clocking(port, pins, real, {PinSample::BitLevel, PinSample::AfterPulse});
    clocking.Run(kBitSteps);
    clocking.Run(kBitSteps);
    ASSERT_EQ(port.next.size(), 6u);
    for (std::size_t k = 0; k < port.next.size(); ++k) {
      EXPECT_GE(port.next[k] - port.notBefore[k], std::chrono::milliseconds(kClockWaitMs)) << writeMs << " ms writes";
      EXPECT_GE(port.next[k] - port.returned[k], std::chrono::milliseconds(kLeastSettleMs)) << writeMs << " ms writes";
    }
  }
}

}  // namespace
}  // namespace quarrow::test
