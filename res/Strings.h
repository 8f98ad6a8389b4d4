// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the tool shows a person: status line, message boxes and their captions. The window and
// the command line both take their words from here.
#pragma once

namespace quarrow::res {

inline constexpr int IDS_OPEN_PROGRAMMER = 101;
inline constexpr const char* kOpenProgrammer = "Open USB programmer";
// What assistive technology says the status line's text pane is; its name is the text itself.
inline constexpr const char* kStatusPaneDescription = "Status line: what the window did last";

inline constexpr const char* kCaptionError = "Error";
inline constexpr const char* kCaptionOk = "Ok";

inline constexpr const char* kNoDevicesFound = "FTDI: No FTDI FT232R USB devices found.";
inline constexpr const char* kCantOpenDevice = "Can't open USB device";
inline constexpr const char* kConnected = "Connected to programmer";

inline constexpr const char* kReading = "Reading PROM data...";
inline constexpr const char* kReadComplete = "PROM read out complete";
inline constexpr const char* kReadFailed = "PROM read out failed - no response from programmer";
inline constexpr const char* kReadStopped = "PROM read out stopped";
inline constexpr const char* kCantStartRead = "Can't start the PROM read out";

inline constexpr const char* kChipAndFileMatch = "Chip and file match";
inline constexpr const char* kChipAndFileDiffer = "Chip and file do not match";

// Followed directly by the full path (and, for the failures, the reason).
inline constexpr const char* kSavedTo = "Chip data saved to - ";
inline constexpr const char* kOpenedFile = "Opened file - ";
inline constexpr const char* kCantSaveFile = "Can't save file - ";
inline constexpr const char* kCantOpenFile = "Can't open file - ";

// Identification of an image against the known dumps, and the diagnosis of reads that look broken.
// A set is named as "pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985"; several sets are
// separated by "; ".
inline constexpr const char* kKnownDump = "Known dump: ";
inline constexpr const char* kNearMiss = "Near miss: matches ";
// One of these follows the set.
inline constexpr const char* kNearMissInverted =
    " only with every bit inverted - the data line's polarity is probably reversed";
inline constexpr const char* kNearMissMirrored =
    " only with the bits of each byte in reverse order - the bit order is probably reversed";
inline constexpr const char* kNearMissInvertedMirrored =
    " only with every bit inverted and each byte's bits reversed - usually a file opened in the other "
    "layout (MAME or NSS), or a reader that reverses both polarity and bit order";
inline constexpr const char* kNearMissHalvesSwapped =
    " only with bits 64-127 and bits 0-63 swapped - the read probably started half-way, after a "
    "missed reset";
// What to do about a chip that reads as a near miss, by its cause.
inline constexpr const char* kRereadInverted =
    "the data line reads inverted; give --invert-data if the board inverts it, leave it out if "
    "not, and read the chip again";
inline constexpr const char* kRereadMirrored =
    "each byte's bits came in reverse order; check the table's layout column and the wiring "
    "(selftest), and read the chip again";
inline constexpr const char* kRereadInvertedMirrored =
    "the bits came inverted and in reverse order; check the table's layout column, --invert-data "
    "and the wiring (selftest), and read the chip again";
inline constexpr const char* kRereadHalvesSwapped =
    "the read started half-way; check the reset line (selftest), reseat the chip and read it again";
// After the sets of a file whose bytes are the dump as MAME keeps it in the other layout than the
// file was opened in: " - the file is in the " LAYOUT kKnownDumpOtherLayoutEnd.
inline constexpr const char* kKnownDumpOtherLayout = " - the file is in the ";
inline constexpr const char* kKnownDumpOtherLayoutEnd =
    " layout as MAME keeps it: open it in that layout, do not convert it";
inline constexpr const char* kLayoutMame = "MAME";
inline constexpr const char* kLayoutRaw = "raw (NSS)";
// "Not a known dump: none of the " N " dumps in the table matches" and, for an image no diagnosis
// calls broken, kNotKnownDumpSound.
inline constexpr const char* kNotKnownDump = "Not a known dump: none of the ";
inline constexpr const char* kNotKnownDumpEnd = " dumps in the table matches";
inline constexpr const char* kNotKnownDumpSound =
    " - if the read is sound, the dump may be worth sending to MAME";

// Reads of --reads or --verify that differ: "Reads of the chip differ" and, where the reads are at
// hand, ": " N " of " M kReadsDifferCount, then kReadsDifferAdvice.
inline constexpr const char* kDiagnosisReadsDiffer = "Reads of the chip differ";
inline constexpr const char* kReadsDifferCount = " reads differ from the first";
inline constexpr const char* kReadsDifferAdvice =
    " - check that the chip is seated and the programmer is connected";
inline constexpr const char* kDiagnosisAllOnes =
    "Every bit reads 1 - there is probably no chip in the socket, its data line is not connected, or the programmer is wired to other pins than the tool uses (check the wiring)";
inline constexpr const char* kDiagnosisAllZeros =
    "Every bit reads 0 - there is probably no chip in the socket, its data line is not connected, or the programmer is wired to other pins than the tool uses (check the wiring)";
inline constexpr const char* kDiagnosisBlankChip =
    "The bits are the pattern of an unprogrammed RP5H01 - the chip is blank";
inline constexpr const char* kDiagnosisTestPinLow =
    "Bits 64-127 repeat bits 0-63 - the chip's TEST pin is probably low, so its counter wraps at 64";

// The short forms in the status line's identification pane; the full sentence is its tooltip.
// The pane says first which image it speaks of: the chip last read, or the file last opened.
inline constexpr const char* kSubjectChip = "Chip: ";
inline constexpr const char* kSubjectFile = "File: ";
inline constexpr const char* kShortUnknownDump = "unknown dump";
inline constexpr const char* kShortNearMiss = "near miss: ";  // followed by the set
inline constexpr const char* kShortReadsDiffer = "reads differ";
inline constexpr const char* kShortAllOnes = "all bits 1";
inline constexpr const char* kShortAllZeros = "all bits 0";
inline constexpr const char* kShortBlankChip = "blank chip";
inline constexpr const char* kShortTestPinLow = "TEST pin low";

// Help > Details: the identification pane's full sentences, which a tooltip keeps from the keyboard.
inline constexpr const char* kCaptionDetails = "Details";
inline constexpr const char* kDetailsChip = "The chip last read:";
inline constexpr const char* kDetailsFile = "The file last opened:";

// Followed by the table's error, which names the file and the line.
inline constexpr const char* kCantReadKnownDumps = "Can't read the table of known dumps - ";
inline constexpr const char* kUsingBuiltInKnownDumps = "The built-in table is used instead.";

// quarrow started where there is no display, e.g. over ssh without X forwarding.
inline constexpr const char* kNoDisplay =
    "there is no display to show the window on (DISPLAY is not set); on a machine without a display "
    "use quarrow-cli";

inline constexpr const char* kVersion = "2.0.0";

}  // namespace quarrow::res
