// SPDX-License-Identifier: GPL-3.0-or-later
// The recording pin port and its Value Change Dump: a recorded read sends the programmer exactly
// what an unrecorded one sends, each operation is timed by the waits before it, and the dump shows
// each pin's levels.
#include <gtest/gtest.h>

#include "LinkTestSupport.h"
#include "PinTrace.h"
#include "VcdWriter.h"

namespace quarrow::test {
namespace {

TEST(PinTrace, ARecordedReadSendsTheSameTrafficAndIsTimedByItsOwnWaits) {
  ConnectedSimulation plain;
  plain.Read();

  ConnectedSimulation s;
  PinTrace trace = PinTraceFor(s.pins);
  s.connection.Read(s.receiver, nullptr, &trace, s.RecordedWait());
  EXPECT_EQ(s.record.WrittenBytes(), plain.record.WrittenBytes());
  EXPECT_EQ(s.record.PinReads(), plain.record.PinReads());
  EXPECT_EQ(s.waits, plain.waits);
  EXPECT_EQ(s.image, plain.image);

  std::vector<std::uint8_t> written;
  for (const PinEvent& event : trace.events) {
    if (event.kind == PinEvent::Kind::Write) written.push_back(event.value);
  }
  EXPECT_EQ(written, s.record.WrittenBytes());
  ASSERT_EQ(trace.events.size(), 386u + 256u);
  // Reset and clock high, reset low after 20 ms, the first sample after 20 ms more and the clock
  // write right behind it; the pulse's writes 10 ms apart; the read after the pulse and the next
  // bit's sample 1 us apart.
  const std::vector<std::pair<std::int64_t, PinEvent::Kind>> start = {
      {0, PinEvent::Kind::Write},      {20000, PinEvent::Kind::Write}, {40000, PinEvent::Kind::Read},
      {40001, PinEvent::Kind::Write},  {50000, PinEvent::Kind::Write}, {60000, PinEvent::Kind::Write},
      {70000, PinEvent::Kind::Read},   {70001, PinEvent::Kind::Read}};
  for (std::size_t i = 0; i < start.size(); ++i) {
    EXPECT_EQ(std::make_pair(trace.events[i].microseconds, trace.events[i].kind), start[i]) << i;
  }
  EXPECT_EQ(trace.endMicroseconds, kReadWaitFloorMs * 1000 + 1);
}

TEST(PinTrace, TheDumpNamesTheLinesAndShowsWhatEachOperationSetUnknownBeforeIt) {
  PinTrace trace;
  trace.pins = Pins("clock=D2,reset=D3,data=D6", true);
  trace.driven = trace.pins.ClockMask() | trace.pins.ResetMask();
  trace.events = {{0, PinEvent::Kind::Write, 0x0C, true},
                  {20000, PinEvent::Kind::Write, 0x04, true},
                  {40000, PinEvent::Kind::Read, 0x45, true},
                  {40001, PinEvent::Kind::Write, 0x00, false},  // refused: changes nothing
                  {50000, PinEvent::Kind::Write, 0x40, true}};  // D6 is no output: only the clock
  trace.endMicroseconds = 60000;
  EXPECT_EQ(PinTraceVcd(trace, "a test"),
            "$comment Quarrow pin trace: clock=D2,reset=D3,data=D6, data inverted on the board; the "
            "time is the programmer's waits; a test $end\n"
            "$timescale 1 us $end\n$scope module programmer $end\n"
            "$var wire 1 c clock $end\n$var wire 1 d reset $end\n$var wire 1 g data $end\n"
            "$var wire 1 a D0 $end\n$var wire 1 b D1 $end\n$var wire 1 e D4 $end\n"
            "$var wire 1 f D5 $end\n$var wire 1 h D7 $end\n"
            "$upscope $end\n$enddefinitions $end\n"
            "#0\n$dumpvars\nxc\nxd\nxg\nxa\nxb\nxe\nxf\nxh\n$end\n"
            "1c\n1d\n#20000\n0d\n#40000\n1g\n1a\n0b\n0e\n0f\n0h\n#50000\n0c\n#60000\n");
}

}  // namespace
}  // namespace quarrow::test
