// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that only the command line shows; the texts it shares with the window are in res/Strings.h.
#pragma once

namespace quarrow::cli {

inline constexpr const char* kProgramName = "quarrow-cli";
// Followed by the bit numbers, comma-separated.
inline constexpr const char* kDifferingBits = "Differing bits: ";
inline constexpr const char* kCantWriteOutput =
    "Can't write to standard output - the result did not reach it";
inline constexpr const char* kCantIdentify = "Can't compute the image's SHA-1: ";
// "Note - PATH holds N bytes, not 16: " and then one of these two.
inline constexpr const char* kShortFileNote = "the missing bytes were taken as 00";
inline constexpr const char* kLongFileNote = "only the first 16 bytes were used";
inline constexpr const char* kReadInterrupted =
    "Read interrupted - the programmer was closed and nothing was saved";
inline constexpr const char* kReadLooksBroken =
    "The read looks broken (--strict) - nothing was saved; check the chip and its socket";
// Follows the diagnosis that reads differ, then "BIT (read as 1 by ONES of READS reads)", ...
inline constexpr const char* kUnstableBits = "; unstable bits: ";
// Before the convert line that turns a near miss into the known dump.
inline constexpr const char* kRepairWith = "Repair with: ";
// Before the command line that opens a known dump's file in the layout its bytes are in.
inline constexpr const char* kOpenWith = "Open it with: ";
// compare: "Note - FILE" kComparedAsOpened SETS kComparedAsOpenedEnd LAYOUT ", as: " and the line.
inline constexpr const char* kComparedAsOpened = " is byte for byte the file of ";
inline constexpr const char* kComparedAsOpenedEnd = " - the chip is compared with it as opened; "
                                                    "open it in the ";
inline constexpr const char* kComparedAsOpenedAs = " layout to compare the dump, as: ";
// --rom-load of a near miss, on standard error instead of the line.
inline constexpr const char* kNoRomLoadForNearMiss =
    "No ROM_LOAD line for a near miss: the image is not that set's dump until it is repaired";
inline constexpr const char* kInsertNextChip = "Insert the next chip and press Enter (q to quit)";
// "Archived as PATH", "Already archived as PATH", "Not archived - WHY"
inline constexpr const char* kArchivedAs = "Archived as ";
inline constexpr const char* kAlreadyArchivedAs = "Already archived as ";
inline constexpr const char* kNotArchived = "Not archived - ";
inline constexpr const char* kCantUseArchiveFolder = "Can't use the archive folder - ";
inline constexpr const char* kNotAFolder = "it is not a folder";
// Before the chip's number and kReading, on the progress line.
inline constexpr const char* kChipLabel = "Chip ";
// "Chips read: N, archived: N, already archived: N, refused: N"
inline constexpr const char* kSummaryChipsRead = "Chips read: ";
inline constexpr const char* kSummaryArchived = ", archived: ";
inline constexpr const char* kSummaryAlreadyArchived = ", already archived: ";
inline constexpr const char* kSummaryRefused = ", refused: ";
// The result column of archive.tsv and of --json. The set column says this of a dump no set has.
inline constexpr const char* kArchiveUnknownSet = "unknown";
inline constexpr const char* kResultArchived = "archived";
inline constexpr const char* kResultAlreadyArchived = "already archived";
inline constexpr const char* kResultReadFailed = "read failed";
inline constexpr const char* kResultSaveFailed = "save failed";
inline constexpr const char* kResultBroken = "broken: ";      // then the diagnosis in short
// Then the number and kResultBit or kResultBits.
inline constexpr const char* kResultUnstable = "unstable: ";
inline constexpr const char* kResultBit = " bit";
inline constexpr const char* kResultBits = " bits";
// "Not converted - IN read in the L1 layout is no known dump, but read in the L2 layout it is SET:
// it is probably in the L2 layout already (--from l2); --force converts it anyway"
inline constexpr const char* kNotConverted = "Not converted - ";
inline constexpr const char* kNotConvertedReadIn = " read in the ";
inline constexpr const char* kNotConvertedNoDump = " layout is no known dump, but read in the ";
inline constexpr const char* kNotConvertedItIs = " layout it is ";
inline constexpr const char* kNotConvertedProbably = ": it is probably in the ";
inline constexpr const char* kNotConvertedAlready = " layout already (--from ";
inline constexpr const char* kNotConvertedForce = "); --force converts it anyway";
// "Not converted - IN is byte for byte the file of SETS in the L layout, as MAME keeps it, and what
// would be written is no known dump's file; --force converts it anyway"
inline constexpr const char* kNotConvertedIsDump = " is byte for byte the file of ";
inline constexpr const char* kNotConvertedInLayout = " in the ";
inline constexpr const char* kNotConvertedNoDumpWritten =
    " layout, as MAME keeps it, and what would be written is no known dump's file; --force "
    "converts it anyway";
// "Not converted - IN holds N bytes, not 16: ..." for a conversion in place.
inline constexpr const char* kNotConvertedHolds = " holds ";
inline constexpr const char* kNotConvertedInPlace =
    " bytes, not 16: replacing it with 16 bytes in place could lose what it holds; write to a new "
    "file instead";
inline constexpr const char* kCantWriteArchiveLog = "Can't write the archive log - ";
// Why the log is refused, after its path.
inline constexpr const char* kArchiveLogIsALink =
    "it is a symbolic link - the log must be a regular file in the folder; move the link aside";
inline constexpr const char* kArchiveLogNotRegular =
    "it is not a regular file (a FIFO, a device or a socket) - move it aside";
inline constexpr const char* kArchiveLogDiskTookNothing = "the disk took none of the line";
inline constexpr const char* kArchiveLogPartLeft =
    "; part of the line is left in the log, without its line break";
// "Note - PATH has no note column ..."
inline constexpr const char* kNote = "Note - ";
inline constexpr const char* kArchiveLogWithoutNotes =
    " has no note column (a log begun by an older version): the lines typed at the prompt are left "
    "out of it; move it aside to start a log with notes";
// "it is a symbolic link to TARGET, which does not exist"
inline constexpr const char* kDanglingLinkTo = "it is a symbolic link to ";
inline constexpr const char* kDanglingLinkMissing = ", which does not exist";
// Typed at the prompt instead of a chip's note: checks the wiring and prompts again.
inline constexpr const char* kSelfTestAtPrompt = "selftest";
// Shown above the prompt after this many broken or near-miss reads in a row.
inline constexpr int kSuspectReadsBeforeWiringHint = 3;
inline constexpr const char* kCheckWiringHint =
    " reads in a row looked broken or were near misses - check the programmer's wiring: type "
    "selftest and press Enter to test it";
// "Not archived - near miss of SET: ADVICE", the advice identification gives for its cause
inline constexpr const char* kNearMissOf = "near miss of ";
// The result column: "near miss: inverted"
inline constexpr const char* kResultNearMiss = "near miss: ";
// The end of each command's --help.
inline constexpr const char* kProgramOptionsNote =
    "\n\nThe program's options (-v, -q, --simulate, --simulate-image, --pins, --invert-data,\n"
    "--known-dumps) go before or after the command; quarrow-cli --help tells them.";
// After the word that was given where a command was expected, in quotes.
inline constexpr const char* kNotACommand =
    " is not a command; the commands are show, identify, convert, list, list-chips, read, compare, "
    "archive, selftest and wiring";

// read --json with -o naming standard output: the image's bytes would land in front of the object.
inline constexpr const char* kJsonOutputIsStandardOutput =
    "--json prints the result on standard output, so --output must name another file than "
    "standard output (-o -)";

// read -o - on a terminal: the image's 16 bytes would land on the screen as noise.
inline constexpr const char* kImageOutputIsTerminal =
    "-o - writes the image's bytes to standard output, which is a terminal; redirect it into a "
    "file or a pipe (quarrow-cli read -o - > dump.prm), or name the file with -o FILE";

// wiring: "Wiring file: PATH", then "SERIAL: PINS" lines.
inline constexpr const char* kWiringFile = "Wiring file: ";
inline constexpr const char* kWiringDefaultForAll = "default for all programmers: ";
inline constexpr const char* kNoWiringsStored = "No wirings stored";
inline constexpr const char* kWiringIsTheDefault = " (the default for all programmers)";
// Followed by the default board's pins and ")".
inline constexpr const char* kNothingStoredFor = "nothing stored (the default board: ";
// "Stored the wiring for SERIAL in PATH: PINS", "Dropped the wiring stored for SERIAL in PATH".
inline constexpr const char* kStoredFor = "Stored the wiring for ";
inline constexpr const char* kForgotten = "Dropped the wiring stored for ";
inline constexpr const char* kNothingToForget = "No wiring was stored for ";
inline constexpr const char* kWiringNeedsSerial = "--pins and --forget need the programmer's SERIAL";
inline constexpr const char* kWiringOptionsClash =
    "wiring takes SERIAL --pins PINS [--invert-data] to store a wiring, or SERIAL --forget";

// After a wiring file that cannot be read, when quarrow-cli needs it.
inline constexpr const char* kMendWiringFileOrPins = " (mend or remove the file, or give --pins)";

}  // namespace quarrow::cli
