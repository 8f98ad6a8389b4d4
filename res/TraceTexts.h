// SPDX-License-Identifier: GPL-3.0-or-later
// Texts about pin traces: the --trace files of quarrow-cli and the trace drawn in the wiring dialog.
#pragma once

namespace quarrow::res {

// Followed directly by the path.
inline constexpr const char* kTraceSavedTo = "Pin trace saved to - ";
inline constexpr const char* kTraceHelp =
    "Also record every pin write and read with its time in FILE, a Value Change Dump (.vcd) that "
    "PulseView, GTKWave and sigrok-cli open";
inline constexpr const char* kTraceIsStandardOutput =
    "--trace: standard output holds the command's result, so the trace needs a file of its own "
    "(./- for a file named -)";
inline constexpr const char* kTraceIsTheImageFile = "--trace and --output name the same file";

// The trace in the wiring dialog. Its accessible description reads, for example: "Pin trace of the
// check, 680 ms: clock (D0) 20 low pulses; reset (D1) 2 high pulses; data (D4) 41 samples, read as
// 1011 0010 ...".
inline constexpr const char* kTraceViewName = "IDC_WIRING_TRACE";
inline constexpr const char* kTraceViewAccessibleName = "Pin trace";
inline constexpr const char* kTraceViewEmpty = "No pin trace yet: Check wiring records one.";
inline constexpr const char* kTraceViewOf = "Pin trace of the check, ";
inline constexpr const char* kTraceViewLowPulses = " low pulses";
inline constexpr const char* kTraceViewHighPulses = " high pulses";
inline constexpr const char* kTraceViewSamples = " samples, read as ";
inline constexpr const char* kTraceViewNoSamples = " never read";
inline constexpr const char* kTraceViewFailed = "; the programmer did not take every operation";

}  // namespace quarrow::res
