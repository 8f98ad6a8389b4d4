// SPDX-License-Identifier: GPL-3.0-or-later
// Every sentence the programs show a person, in one table: the window, quarrow-cli and the sentence
// makers beside them (sentences/) take their words from here, and the core (link/, identify/) none.
//
// Each text is marked QUARROW_TEXT(CONTEXT, TEXT), which is TEXT itself here, so that the tools that
// gather texts for translation find them without Qt in this header: Qt's lupdate with
// `-tr-function-alias QT_TRANSLATE_NOOP+=QUARROW_TEXT`, xgettext with `--keyword=QUARROW_TEXT:1c,2`.
// Names, identifiers and options (object names, settings keys, environment variables, "--pins")
// are not marked: they are the same in every language.
#pragma once

#define QUARROW_TEXT(context, text) text

namespace quarrow::res {

// The window and the command line: status line, message boxes and their captions; identification and diagnosis.

inline constexpr int IDS_OPEN_PROGRAMMER = 101;
inline constexpr const char* kOpenProgrammer = QUARROW_TEXT("Quarrow", "Open USB programmer");
// What assistive technology says the status line's text pane is; its name is the text itself.
inline constexpr const char* kStatusPaneDescription =
    QUARROW_TEXT("Quarrow", "Status line: what the window did last");

inline constexpr const char* kCaptionError = QUARROW_TEXT("Quarrow", "Error");
inline constexpr const char* kCaptionOk = QUARROW_TEXT("Quarrow", "Ok");

// %1: the families looked for, each a kSought* text, joined by "; ".
inline constexpr const char* kNoDevicesFound = QUARROW_TEXT("Quarrow", "No programmer found: looked for %1.");
inline constexpr const char* kNoDevicesFoundAtAll = QUARROW_TEXT("Quarrow", "No programmer found.");
// %1: the FTDI chips the tool reads through, by name.
inline constexpr const char* kSoughtFtdi = QUARROW_TEXT("Quarrow", "FTDI chips with bit-bang (%1)");
inline constexpr const char* kSoughtCh341a = QUARROW_TEXT("Quarrow", "CH341A programmers (USB 1a86:5512)");
inline constexpr const char* kSoughtGpio = QUARROW_TEXT("Quarrow", "GPIO chips (/dev/gpiochip*)");
inline constexpr const char* kCantOpenDevice = QUARROW_TEXT("Quarrow", "Can't open USB device");
inline constexpr const char* kConnected = QUARROW_TEXT("Quarrow", "Connected to programmer");

inline constexpr const char* kReading = QUARROW_TEXT("Quarrow", "Reading PROM data...");
inline constexpr const char* kReadComplete = QUARROW_TEXT("Quarrow", "PROM read out complete");
inline constexpr const char* kReadFailed =
    QUARROW_TEXT("Quarrow", "PROM read out failed - no response from programmer");
inline constexpr const char* kReadStopped = QUARROW_TEXT("Quarrow", "PROM read out stopped");
inline constexpr const char* kCantStartRead = QUARROW_TEXT("Quarrow", "Can't start the PROM read out");

inline constexpr const char* kChipAndFileMatch = QUARROW_TEXT("Quarrow", "Chip and file match");
inline constexpr const char* kChipAndFileDiffer = QUARROW_TEXT("Quarrow", "Chip and file do not match");

// Followed directly by the full path (and, for the failures, the reason).
inline constexpr const char* kSavedTo = QUARROW_TEXT("Quarrow", "Chip data saved to - ");
inline constexpr const char* kOpenedFile = QUARROW_TEXT("Quarrow", "Opened file - ");
inline constexpr const char* kCantSaveFile = QUARROW_TEXT("Quarrow", "Can't save file - ");
inline constexpr const char* kCantOpenFile = QUARROW_TEXT("Quarrow", "Can't open file - ");

// Why Connect failed where the programmer library gave no words of its own. The call and its status
// go between the parts: "FT_OpenEx("A1") failed with status 2 (device not found)".
inline constexpr const char* kConnectNoSerial = QUARROW_TEXT("Quarrow",
    "No serial number given; choose a programmer from the list or type its serial number");
inline constexpr const char* kConnectNulInSerial =
    QUARROW_TEXT("Quarrow", "The serial number contains a zero (NUL) character; type it again without it");
inline constexpr const char* kConnectCallFailed = QUARROW_TEXT("Quarrow", " failed with status ");
inline constexpr const char* kConnectNoHandle = QUARROW_TEXT("Quarrow", " reported success but gave no handle");
// "Setting up the programmer failed: FT_SetBitMode returned status 4 (I/O error)", then " - " and
// the library's own words where it gave any.
inline constexpr const char* kConnectSetupFailed = QUARROW_TEXT("Quarrow", "Setting up the programmer failed: ");
inline constexpr const char* kConnectReturnedStatus = QUARROW_TEXT("Quarrow", " returned status ");
// The programmer library's statuses, after the number.
inline constexpr const char* kStatusInvalidHandle = QUARROW_TEXT("Quarrow", "invalid handle");
inline constexpr const char* kStatusDeviceNotFound = QUARROW_TEXT("Quarrow", "device not found");
inline constexpr const char* kStatusDeviceNotOpened = QUARROW_TEXT("Quarrow", "device not opened");
inline constexpr const char* kStatusIoError = QUARROW_TEXT("Quarrow", "I/O error");
inline constexpr const char* kStatusInvalidParameter = QUARROW_TEXT("Quarrow", "invalid parameter");
inline constexpr const char* kStatusError = QUARROW_TEXT("Quarrow", "error");

// A programmer library's failures (ProgrammerErrorText): after who failed ("libftdi: "), before the
// library's own words. %1 is the file, call, serial or place the failure names.
inline constexpr const char* kProgrammerLibraryUnusable =
    QUARROW_TEXT("Programmer", "cannot start the USB library (is USB usable here?)");
// %2 is the system's reason, %3 the driver (kFtdiDriver, kCh341aDriver).
inline constexpr const char* kProgrammerDriverMissing =
    QUARROW_TEXT("Programmer", "%1 could not be loaded (%2): install %3, and start the program again");
// A copy beside the program is found before the driver's own, so installing the driver does not
// help while a 32-bit, damaged or outdated one sits there.
inline constexpr const char* kProgrammerDriverCopyBroken = QUARROW_TEXT(
    "Programmer", "%1 could not be loaded (%2): it is not a working 64-bit driver library; remove it, or replace "
                  "it with the one from %3, and start the program again");
inline constexpr const char* kProgrammerDriverIncomplete = QUARROW_TEXT(
    "Programmer", "%1 lacks %2: remove it, or replace it with the one from %3, and start the program again");
inline constexpr const char* kProgrammerDriverOutdated =
    QUARROW_TEXT("Programmer", "%1 lacks %2: install %3, and start the program again");
inline constexpr const char* kProgrammerDriverFaulty = QUARROW_TEXT(
    "Programmer", "the driver library reports %1 attached devices, which cannot be: it is faulty; install %3, "
                  "and start the program again");
inline constexpr const char* kFtdiDriver = QUARROW_TEXT(
    "Programmer", "FTDI's D2XX driver (https://ftdichip.com/drivers/d2xx-drivers/), which every FTDI programmer needs");
inline constexpr const char* kCh341aDriver = QUARROW_TEXT(
    "Programmer", "WCH's CH341PAR driver (CH341PAR.EXE from https://www.wch-ic.com/downloads/CH341PAR_EXE.html), "
                  "which a CH341A programmer needs on Windows");
inline constexpr const char* kSomeDriver = QUARROW_TEXT("Programmer", "the programmer's driver");
inline constexpr const char* kProgrammerListFailed = QUARROW_TEXT("Programmer", "listing the programmers failed");
inline constexpr const char* kProgrammerSetupFailed = QUARROW_TEXT("Programmer", "%1 failed");
inline constexpr const char* kProgrammerInputOnlyPin = QUARROW_TEXT(
    "Programmer", "pin %1 of this programmer can only read, so it cannot drive the clock or the reset; "
                  "wire those to another pin");
inline constexpr const char* kProgrammerCloseFailed = QUARROW_TEXT("Programmer", "closing the programmer failed");
inline constexpr const char* kProgrammerPermissionDenied = QUARROW_TEXT(
    "Programmer", "permission denied opening the USB device: install the udev rule 70-quarrow.rules (see README) "
                  "and re-plug the programmer, or run as root");
inline constexpr const char* kProgrammerInUse =
    QUARROW_TEXT("Programmer", "the USB device is in use by another program (or already connected here)");
// A GPIO chip's (family GPIO): %1 is its device file.
inline constexpr const char* kGpioPermissionDenied = QUARROW_TEXT(
    "Programmer", "permission denied opening %1: add your user to the group that owns it (gpio on a Raspberry Pi), "
                  "log in again, or run as root");
// %1 is the line as the list names it ("GPIO17"), %2 the holder's consumer name as the kernel gives it.
inline constexpr const char* kGpioLineInUse = QUARROW_TEXT(
    "Programmer", "GPIO line %1 is held by \"%2\"; stop that program or free the line, or wire another line");
inline constexpr const char* kGpioLineInUseUnnamed = QUARROW_TEXT(
    "Programmer", "GPIO line %1 is held by another program or driver; free the line, or wire another line");
inline constexpr const char* kProgrammerCannotOpen =
    QUARROW_TEXT("Programmer", "cannot open the USB device; re-plug the programmer and try again");
inline constexpr const char* kProgrammerNoSuchSerial = QUARROW_TEXT(
    "Programmer", "no programmer with serial number \"%1\" is attached; plug the programmer in and try again");
inline constexpr const char* kProgrammerNoSuchPlace = QUARROW_TEXT(
    "Programmer", "no programmer at place %1 of the list any more; list the programmers again");
inline constexpr const char* kProgrammerUnplugged =
    QUARROW_TEXT("Programmer", "the programmer was unplugged; plug it in and connect again");
inline constexpr const char* kProgrammerNotConnected =
    QUARROW_TEXT("Programmer", "the programmer is not connected");
inline constexpr const char* kProgrammerPinWriteFailed =
    QUARROW_TEXT("Programmer", "writing to the programmer's pins failed");
inline constexpr const char* kProgrammerPinReadFailed =
    QUARROW_TEXT("Programmer", "reading the programmer's pins failed");

// Identification of an image against the known dumps, and the diagnosis of reads that look broken.
// A set is named as "pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985"; several sets are
// separated by "; ".
inline constexpr const char* kKnownDump = QUARROW_TEXT("Quarrow", "Known dump: ");
inline constexpr const char* kNearMiss = QUARROW_TEXT("Quarrow", "Near miss: matches ");
// One of these follows the set.
inline constexpr const char* kNearMissInverted =
    QUARROW_TEXT("Quarrow", " only with every bit inverted - the data line's polarity is probably reversed");
inline constexpr const char* kNearMissMirrored = QUARROW_TEXT("Quarrow",
    " only with the bits of each byte in reverse order - the bit order is probably reversed");
inline constexpr const char* kNearMissInvertedMirrored = QUARROW_TEXT("Quarrow",
    " only with every bit inverted and each byte's bits reversed - usually a file opened in the other "
    "layout (MAME or NSS), or a reader that reverses both polarity and bit order");
inline constexpr const char* kNearMissHalvesSwapped = QUARROW_TEXT("Quarrow",
    " only with bits 64-127 and bits 0-63 swapped - the read probably started half-way, after a "
    "missed reset");
// What to do about a chip that reads as a near miss, by its cause.
inline constexpr const char* kAdviceInverted = QUARROW_TEXT("CommandLine",
    "the data line reads inverted; give --invert-data if the board inverts it, leave it out if "
    "not, and read the chip again");
inline constexpr const char* kAdviceMirrored = QUARROW_TEXT("CommandLine",
    "each byte's bits came in reverse order; check the table's layout column and the wiring "
    "(selftest), and read the chip again");
inline constexpr const char* kAdviceInvertedMirrored = QUARROW_TEXT("CommandLine",
    "the bits came inverted and in reverse order; check the table's layout column, --invert-data "
    "and the wiring (selftest), and read the chip again");
inline constexpr const char* kAdviceHalvesSwapped = QUARROW_TEXT("CommandLine",
    "the read started half-way; check the reset line (selftest), reseat the chip and read it again");
// After the sets of a file whose bytes are the dump as MAME keeps it in the other layout than the
// file was opened in: " - the file is in the " LAYOUT kKnownDumpOtherLayoutEnd.
inline constexpr const char* kKnownDumpOtherLayout = QUARROW_TEXT("Quarrow", " - the file is in the ");
inline constexpr const char* kKnownDumpOtherLayoutEnd =
    QUARROW_TEXT("Quarrow", " layout as MAME keeps it: open it in that layout, do not convert it");
inline constexpr const char* kLayoutMame = "MAME";
inline constexpr const char* kLayoutRaw = QUARROW_TEXT("Quarrow", "raw (NSS)");
// "Not a known dump: none of the " N " dumps in the table matches" and, for an image no diagnosis
// calls broken, kNotKnownDumpSound.
inline constexpr const char* kNotKnownDump = QUARROW_TEXT("Quarrow", "Not a known dump: none of the ");
inline constexpr const char* kNotKnownDumpEnd = QUARROW_TEXT("Quarrow", " dumps in the table matches");
inline constexpr const char* kNotKnownDumpSound =
    QUARROW_TEXT("Quarrow", " - if the read is sound, the dump may be worth sending to MAME");

// Reads of --reads or --verify that differ: "Reads of the chip differ" and, where the reads are at
// hand, ": " N " of " M kReadsDifferCount, then kReadsDifferAdvice.
inline constexpr const char* kDiagnosisReadsDiffer = QUARROW_TEXT("Quarrow", "Reads of the chip differ");
inline constexpr const char* kReadsDifferCount = QUARROW_TEXT("Quarrow", " reads differ from the first");
inline constexpr const char* kReadsDifferAdvice =
    QUARROW_TEXT("Quarrow", " - check that the chip is seated and the programmer is connected");
inline constexpr const char* kDiagnosisAllOnes = QUARROW_TEXT("Quarrow",
    "Every bit reads 1 - there is probably no chip in the socket, its data line is not connected, or the programmer is wired to other pins than the tool uses (check the wiring)");
inline constexpr const char* kDiagnosisAllZeros = QUARROW_TEXT("Quarrow",
    "Every bit reads 0 - there is probably no chip in the socket, its data line is not connected, or the programmer is wired to other pins than the tool uses (check the wiring)");
inline constexpr const char* kDiagnosisBlankChip =
    QUARROW_TEXT("Quarrow", "The bits are the pattern of an unprogrammed RP5H01 - the chip is blank");
inline constexpr const char* kDiagnosisTestPinLow = QUARROW_TEXT("Quarrow",
    "Bits 64-127 repeat bits 0-63 - the chip's TEST pin is probably low, so its counter wraps at 64");

// The short forms in the status line's identification pane; the full sentence is its tooltip.
// The pane says first which image it speaks of: the chip last read, or the file last opened.
inline constexpr const char* kSubjectChip = QUARROW_TEXT("Quarrow", "Chip: ");
inline constexpr const char* kSubjectFile = QUARROW_TEXT("Quarrow", "File: ");
inline constexpr const char* kShortUnknownDump = QUARROW_TEXT("Quarrow", "unknown dump");
inline constexpr const char* kShortNearMiss = QUARROW_TEXT("Quarrow", "near miss: ");  // followed by the set
inline constexpr const char* kShortReadsDiffer = QUARROW_TEXT("Quarrow", "reads differ");
inline constexpr const char* kShortAllOnes = QUARROW_TEXT("Quarrow", "all bits 1");
inline constexpr const char* kShortAllZeros = QUARROW_TEXT("Quarrow", "all bits 0");
inline constexpr const char* kShortBlankChip = QUARROW_TEXT("Quarrow", "blank chip");
inline constexpr const char* kShortTestPinLow = QUARROW_TEXT("Quarrow", "TEST pin low");

// Help > Details: the identification pane's full sentences, which a tooltip keeps from the keyboard.
inline constexpr const char* kCaptionDetails = QUARROW_TEXT("Quarrow", "Details");
inline constexpr const char* kDetailsChip = QUARROW_TEXT("Quarrow", "The chip last read:");
inline constexpr const char* kDetailsFile = QUARROW_TEXT("Quarrow", "The file last opened:");

// Followed by the table's error, which names the file and the line.
inline constexpr const char* kCantReadKnownDumps =
    QUARROW_TEXT("Quarrow", "Can't read the table of known dumps - ");
// What is wrong with a table of known dumps. A file's own problem follows "FILE: ", one in its text
// "FILE:LINE: "; a value between two texts is quoted.
inline constexpr const char* kTableBuiltIn = QUARROW_TEXT("Quarrow", " (built in)");
inline constexpr const char* kTableNotARegularFile = QUARROW_TEXT("Quarrow", "not a regular file");
inline constexpr const char* kTableTooLarge =
    QUARROW_TEXT("Quarrow", " bytes, far too large for a table of known dumps");  // after the size
inline constexpr const char* kTableCantOpen = QUARROW_TEXT("Quarrow", "can't be opened");
inline constexpr const char* kTableCantRead = QUARROW_TEXT("Quarrow", "can't be read");
inline constexpr const char* kTableEmptyHeader = QUARROW_TEXT("Quarrow",
    "the first line must be the header naming the columns (set, title, crc32, sha1, layout, ...), but it is "
    "empty");
inline constexpr const char* kTableColumnTwice = QUARROW_TEXT("Quarrow", "the header line names column ");
inline constexpr const char* kTableColumnTwiceEnd = QUARROW_TEXT("Quarrow", " twice");
inline constexpr const char* kTableColumnMissing = QUARROW_TEXT("Quarrow", "the header line has no column '");
inline constexpr const char* kTableColumnMissingEnd =
    QUARROW_TEXT("Quarrow", "' - is this a tab-separated table of known RP5H01 dumps?");
// "N fields where the header names M (...)"
inline constexpr const char* kTableFieldCount = QUARROW_TEXT("Quarrow", " fields where the header names ");
inline constexpr const char* kTableFieldCountEnd = QUARROW_TEXT("Quarrow", " (fields are separated by tabs)");
inline constexpr const char* kTableEmptySet = QUARROW_TEXT("Quarrow", "the set name is empty");
inline constexpr const char* kTableRomName = QUARROW_TEXT("Quarrow", "rom_name ");
inline constexpr const char* kTableRomNameEnd = QUARROW_TEXT("Quarrow",
    " is no name MAME's ROM lists can hold (empty, blank, or with a quote, backslash or control character)");
inline constexpr const char* kTableHashesHalfGiven =
    QUARROW_TEXT("Quarrow", "crc32 and sha1 must both be given, or both be empty for a set without a dump");
inline constexpr const char* kTableCrc32 = QUARROW_TEXT("Quarrow", "crc32 ");
inline constexpr const char* kTableCrc32End = QUARROW_TEXT("Quarrow", " is not 8 hexadecimal digits");
inline constexpr const char* kTableSha1 = QUARROW_TEXT("Quarrow", "sha1 ");
inline constexpr const char* kTableSha1End = QUARROW_TEXT("Quarrow", " is not 40 hexadecimal digits");
inline constexpr const char* kTableLayout = QUARROW_TEXT("Quarrow", "layout ");
inline constexpr const char* kTableLayoutEnd = QUARROW_TEXT("Quarrow", " is neither mame nor raw");
inline constexpr const char* kTableNoDumps =
    QUARROW_TEXT("Quarrow", "the table lists no dumps (no row has a crc32 and sha1)");
inline constexpr const char* kUsingBuiltInKnownDumps =
    QUARROW_TEXT("Quarrow", "The built-in table is used instead.");

// quarrow started where there is no display, e.g. over ssh without X forwarding.
inline constexpr const char* kNoDisplay = QUARROW_TEXT("Quarrow",
    "there is no display to show the window on (DISPLAY is not set); on a machine without a display "
    "use quarrow-cli");

inline constexpr const char* kVersion = "2.0.0";

// ----------------------------------------------------------------------------------------------
// The programmer's wiring: the pin assignment, the wiring dialog and the wiring self-test.

// The environment variable that holds a pin assignment, "clock=PIN,reset=PIN,data=PIN".
inline constexpr const char* kPinsVariable = "QUARROW_PINS";

// Self-test findings. An output finding is preceded by the line and its pin: "clock (D0): ".
inline constexpr const char* kOutputFollows = QUARROW_TEXT("Wiring", "follows what is written");
inline constexpr const char* kOutputStuck = QUARROW_TEXT("Wiring",
    "does not follow what is written - the pin is not connected to this chip's pin, is shorted to "
    "another line or a supply, or the chip is a clone that ignores the direction mask");
// The data finding is preceded by "data (D4): ", or "data (D4, inverted): ".
inline constexpr const char* kDataNeverChanges = QUARROW_TEXT("Wiring",
    "never changes - no chip, the chip is not powered, the wrong data pin, or a blank chip");
inline constexpr const char* kDataFollowsClock =
    QUARROW_TEXT("Wiring", "follows the clock - the data and clock pins are crossed or shorted");
inline constexpr const char* kDataFollowsReset =
    QUARROW_TEXT("Wiring", "follows the reset - the data and reset pins are crossed or shorted");
inline constexpr const char* kDataNotRepeatable = QUARROW_TEXT("Wiring",
    "changes, but not the same way after a second reset - a loose contact or a floating line");
inline constexpr const char* kDataLikeAChip = QUARROW_TEXT("Wiring", "changes as a chip's would");
// An input pin the wiring does not name, on which the chip's data shows: "D6 (input): " and this,
// followed by the options that read it ("--pins clock=D0,reset=D1,data=D6").
inline constexpr const char* kInputPinHeading = QUARROW_TEXT("Wiring", " (input): ");
inline constexpr const char* kChipOnOtherPin = QUARROW_TEXT("Wiring",
    "changes as a chip's data line would - the PROM's data line is probably wired to this pin, not to "
    "the data pin; read it with ");
// Nothing answered until clock and reset were tried in each other's roles: these, with the pin the
// chip answered on and the options that read it between them.
inline constexpr const char* kClockResetSwapped =
    QUARROW_TEXT("Wiring", "clock and reset swapped: the chip answers on ");
inline constexpr const char* kClockResetSwappedFix =
    QUARROW_TEXT("Wiring", " - the clock and reset pins are probably crossed; read it with ");
// Preceded by "data (D4): " where a chip answers.
inline constexpr const char* kPolarityUnseen = QUARROW_TEXT("Wiring",
    "its polarity cannot be seen here, as an inverted line changes as a chip's would too - read the "
    "chip and run identify on the dump: an inverted line shows as a near miss");
inline constexpr const char* kPinsOption = "--pins ";
inline constexpr const char* kInvertDataOption = " --invert-data";
inline constexpr const char* kPinOperationsFailed = QUARROW_TEXT("Wiring",
    "The programmer did not answer every pin operation - connect it again and repeat the check");

inline constexpr const char* kWiringPlausible = QUARROW_TEXT("Wiring", "Wiring plausible");
// Followed by the first fault found.
inline constexpr const char* kWiringFaulty = QUARROW_TEXT("Wiring", "Wiring fault likely: ");

// The status line after Connect when the wiring is not the default board's; followed by the
// assignment's text.
inline constexpr const char* kWiringInUse = QUARROW_TEXT("Wiring", "Pin assignment in use: ");
inline constexpr const char* kDataInverted = QUARROW_TEXT("Wiring", ", data inverted");
// The status line after OK in the wiring dialog has set the connected programmer up again; followed
// by kWiringInUse and the assignment.
inline constexpr const char* kReconnectedWithWiring =
    QUARROW_TEXT("Wiring", "Connected again with the new wiring - ");
// The wiring dialog's note while $QUARROW_PINS is set; followed by its assignment.
inline constexpr const char* kPinsVariableWins =
    QUARROW_TEXT("Wiring", "QUARROW_PINS is set and wins over the wiring chosen here at Connect: ");

// The "Programmer wiring" dialog. Object names are the controls' identifiers.
inline constexpr const char* kWiringDialogName = "IDD_WIRING";
inline constexpr const char* kWiringTitle = QUARROW_TEXT("Wiring", "Programmer wiring");
// Followed by the programmer's serial number, or kWiringNoProgrammer.
inline constexpr const char* kWiringFor = QUARROW_TEXT("Wiring", "Wiring of programmer ");
inline constexpr const char* kWiringNoProgrammer =
    QUARROW_TEXT("Wiring", "(none chosen: the default for all programmers)");
inline constexpr const char* kWiringClockLabel = QUARROW_TEXT("Wiring", "&Clock pin:");
inline constexpr const char* kWiringResetLabel = QUARROW_TEXT("Wiring", "&Reset pin:");
inline constexpr const char* kWiringDataLabel = QUARROW_TEXT("Wiring", "&Data pin:");
inline constexpr const char* kWiringInvertData =
    QUARROW_TEXT("Wiring", "Data line &inverted (inverting buffer on the board)");
inline constexpr const char* kWiringDefault = QUARROW_TEXT("Wiring", "De&fault wiring");
inline constexpr const char* kWiringCheck = QUARROW_TEXT("Wiring", "C&heck wiring...");
inline constexpr const char* kWiringCheckNeedsConnect =
    QUARROW_TEXT("Wiring", "Connect to this programmer first: the check drives its pins");
inline constexpr const char* kWiringPinsClash = QUARROW_TEXT("Wiring", "Each line needs a pin of its own");
inline constexpr const char* kWiringApplies =
    QUARROW_TEXT("Wiring", "The wiring applies from the next Connect.");
inline constexpr const char* kWiringAppliesNow =
    QUARROW_TEXT("Wiring", "OK connects this programmer again with the wiring chosen, if it has changed.");
// What a screen reader says of the dialog's controls.
inline constexpr const char* kWiringClockDescription =
    QUARROW_TEXT("Wiring", "The programmer pin wired to the PROM's clock line; the programmer drives it");
inline constexpr const char* kWiringResetDescription =
    QUARROW_TEXT("Wiring", "The programmer pin wired to the PROM's reset line; the programmer drives it");
inline constexpr const char* kWiringDataDescription =
    QUARROW_TEXT("Wiring", "The programmer pin wired to the PROM's data line; the programmer only reads it");
inline constexpr const char* kWiringInvertDescription = QUARROW_TEXT("Wiring",
    "Check when the data line passes an inverting buffer on its way to the programmer");
inline constexpr const char* kWiringDefaultDescription =
    QUARROW_TEXT("Wiring", "Shows the wiring this programmer gets when none is chosen for it");
inline constexpr const char* kWiringCheckDescription = QUARROW_TEXT("Wiring",
    "Checks the wiring shown on the connected programmer, in under a second, and writes what it "
    "found in the check result");
inline constexpr const char* kWiringOkDescription =
    QUARROW_TEXT("Wiring", "Stores the wiring shown for this programmer");
inline constexpr const char* kWiringOkConnectedDescription =
    QUARROW_TEXT("Wiring", "Stores the wiring shown and connects the programmer again with it");
inline constexpr const char* kWiringCancelDescription =
    QUARROW_TEXT("Wiring", "Closes the dialog without storing anything");
inline constexpr const char* kWiringReportAccessibleName = QUARROW_TEXT("Wiring", "Check result");
inline constexpr const char* kWiringReportDescription =
    QUARROW_TEXT("Wiring", "What Check wiring found: each line's pin and how it behaved, then the verdict");
inline constexpr const char* kWiringClockName = "IDC_WIRING_CLOCK";
inline constexpr const char* kWiringResetName = "IDC_WIRING_RESET";
inline constexpr const char* kWiringDataName = "IDC_WIRING_DATA";
inline constexpr const char* kWiringInvertName = "IDC_WIRING_INVERT";
inline constexpr const char* kWiringDefaultName = "IDC_WIRING_DEFAULT";
inline constexpr const char* kWiringCheckName = "IDC_WIRING_CHECK";
inline constexpr const char* kWiringReportName = "IDC_WIRING_REPORT";
inline constexpr const char* kWiringHintName = "IDC_WIRING_HINT";

// The wiring file shared by both programs. "Using the wiring stored for SERIAL in FILE: PINS", or
// "Using the default wiring stored in FILE: PINS"; PINS as kWiringInUse has them.
inline constexpr const char* kUsingStoredWiring = QUARROW_TEXT("Wiring", "Using the wiring stored for ");
inline constexpr const char* kUsingStoredDefault =
    QUARROW_TEXT("Wiring", "Using the default wiring stored in ");
inline constexpr const char* kStoredIn = QUARROW_TEXT("Wiring", " in ");
// Followed by the file, the line and what is wrong there.
inline constexpr const char* kCantReadWirings = QUARROW_TEXT("Wiring", "Can't read the stored wirings - ");
// After an unknown pin given to `wiring` for a programmer that is not attached.
inline constexpr const char* kWiringConnectForNames = QUARROW_TEXT(
    "Wiring", "; a programmer's own pin names (CLK, GPIO17) are known while it is attached, its lines as CHIP:OFFSET always");
inline constexpr const char* kCantStoreWiring = QUARROW_TEXT("Wiring", "Can't store the wiring - ");
inline constexpr const char* kMendWiringFile = QUARROW_TEXT("Wiring", " (mend or remove the file)");
// Followed by the settings file and kNotARegularFile, or by the wiring file's problem.
inline constexpr const char* kCantCarryOver =
    QUARROW_TEXT("Wiring", "Can't carry over the wirings an earlier version stored - ");
inline constexpr const char* kNotARegularFile = QUARROW_TEXT("Wiring", ": it is not a regular file");
// After "QUARROW_PINS: " and what is wrong with its value, in the window.
inline constexpr const char* kPinsVariableIgnored = QUARROW_TEXT("Wiring",
    " - the window does not use it: Connect uses the stored wiring or the default board");

// What is wrong with a pin assignment. A value between two texts is quoted; a line is named as the
// assignment's text names it (clock, reset, data), a pin as D0..D7, a port by its letter.
inline constexpr const char* kPinsNotLineEqualsPin =
    QUARROW_TEXT("Wiring", " is not LINE=PIN (expected clock=PIN,reset=PIN,data=PIN)");
inline constexpr const char* kPinsUnknownLine = QUARROW_TEXT("Wiring", "unknown line ");
inline constexpr const char* kPinsUnknownLineEnd = QUARROW_TEXT("Wiring", " (the lines are clock, reset and data)");
// "the clock line is named twice"
inline constexpr const char* kPinsThe = QUARROW_TEXT("Wiring", "the ");
inline constexpr const char* kPinsLineTwice = QUARROW_TEXT("Wiring", " line is named twice");
// "unknown pin "D8" for the data line (pins are ...)"
inline constexpr const char* kPinsUnknownPin = QUARROW_TEXT("Wiring", "unknown pin ");
inline constexpr const char* kPinsUnknownPinFor = QUARROW_TEXT("Wiring", " for the ");
inline constexpr const char* kPinsUnknownPinEnd = QUARROW_TEXT("Wiring",
    " line (pins are D0..D7, TXD RXD RTS CTS DTR DSR DCD RI, or a port's ADBUS0..ADBUS7 or AD0..AD7, "
    "BDBUS0 or BD0 ...)");
// ""BD1" is a pin of port B, but another line is named on port A (...)"
inline constexpr const char* kPinsPortsMixed = QUARROW_TEXT("Wiring", " is a pin of port ");
inline constexpr const char* kPinsPortsMixedOther = QUARROW_TEXT("Wiring", ", but another line is named on port ");
inline constexpr const char* kPinsPortsMixedEnd =
    QUARROW_TEXT("Wiring", " (a programmer is one port: name its pins by one port's names or as D0..D7)");
// "pin D0 is given to both the clock and the data line"
inline constexpr const char* kPinsPinTwice = QUARROW_TEXT("Wiring", "pin ");
inline constexpr const char* kPinsPinTwiceBoth = QUARROW_TEXT("Wiring", " is given to both the ");
inline constexpr const char* kPinsPinTwiceAnd = QUARROW_TEXT("Wiring", " and the ");
inline constexpr const char* kPinsPinTwiceEnd = QUARROW_TEXT("Wiring", " line");
// "unknown pin "GPIO99" for the data line (this programmer's pins are GPIO0..GPIO53, gpiochip0:0..53)"
inline constexpr const char* kPinsUnknownPinOwn = QUARROW_TEXT("Wiring", " line (this programmer's pins are ");
inline constexpr const char* kPinsLineNamesOr = QUARROW_TEXT("Wiring", "its line names or ");
// ""gpiochip1:4" is a line of another GPIO chip than ... (...)"
inline constexpr const char* kPinsChipsMixed =
    QUARROW_TEXT("Wiring", " is a line of another GPIO chip than the other lines name (a programmer is one chip)");
// "the data line is missing (...)"
inline constexpr const char* kPinsLineMissing =
    QUARROW_TEXT("Wiring", " line is missing (expected clock=PIN,reset=PIN,data=PIN)");

// An assignment a chip cannot take. "the pin assignment names pins of port B (BDBUS0..BDBUS7,
// BD0..BD7)", then one of the three endings with the chip's name and ports between their parts.
inline constexpr const char* kPortNamesPins = QUARROW_TEXT("Wiring", "the pin assignment names pins of port ");
inline constexpr const char* kPortButThe = QUARROW_TEXT("Wiring", ", but the ");
inline constexpr const char* kPortNoLettersGive = QUARROW_TEXT("Wiring", " has no lettered ports: give its pins as ");
inline constexpr const char* kPortNoLettersSignals =
    QUARROW_TEXT("Wiring", " or by their signal names (TXD, RXD, ...)");
// ", but the FT232H has no port B; this programmer is its port A: give its pins as ADBUS0..ADBUS7 or D0..D7"
inline constexpr const char* kPortNoSuchPort = QUARROW_TEXT("Wiring", " has no port ");
inline constexpr const char* kPortNoSuchPortHere = QUARROW_TEXT("Wiring", "; this programmer is its port ");
inline constexpr const char* kPortGivePins = QUARROW_TEXT("Wiring", ": give its pins as ");
inline constexpr const char* kPortOrDataBus = QUARROW_TEXT("Wiring", " or D0..D7");
// ", but this programmer is port A of the FT2232H: connect port B (its serial number ends in B), or
// give port A's pins as ADBUS0..ADBUS7 or D0..D7"
inline constexpr const char* kPortOther = QUARROW_TEXT("Wiring", ", but this programmer is port ");
inline constexpr const char* kPortOtherOf = QUARROW_TEXT("Wiring", " of the ");
inline constexpr const char* kPortOtherConnect = QUARROW_TEXT("Wiring", ": connect port ");
inline constexpr const char* kPortOtherSerial = QUARROW_TEXT("Wiring", " (its serial number ends in ");
inline constexpr const char* kPortOtherGive = QUARROW_TEXT("Wiring", "), or give port ");
inline constexpr const char* kPortOtherPins = QUARROW_TEXT("Wiring", "'s pins as ");
// "the FT230X has the bit-bang pins D0-D3 only, but the pin assignment clock=D0,reset=D1,data=D4
// uses D4; wire ..."
inline constexpr const char* kChipHasPins = QUARROW_TEXT("Wiring", " has the bit-bang pins ");
inline constexpr const char* kChipHasPinsBut = QUARROW_TEXT("Wiring", " only, but the pin assignment ");
inline constexpr const char* kChipHasPinsUses = QUARROW_TEXT("Wiring", " uses ");
inline constexpr const char* kChipHasPinsEnd =
    QUARROW_TEXT("Wiring", "; wire the PROM to pins the chip has and give that assignment");

// An assignment a programmer of another family cannot take.
// "D6 can only be read on a CH341A: clock and reset must be driven (give the clock line another pin)"
inline constexpr const char* kPinInputOnly = QUARROW_TEXT("Wiring", " can only be read on a ");
inline constexpr const char* kPinInputOnlyWhy = QUARROW_TEXT("Wiring", ": clock and reset must be driven (give the ");
inline constexpr const char* kPinInputOnlyEnd = QUARROW_TEXT("Wiring", " line another pin)");
// "the pinctrl-bcm2835 has the lines 0..53 only, but the data line is given gpiochip0:60; ..."
inline constexpr const char* kLinesOnly = QUARROW_TEXT("Wiring", " has the lines 0..");
inline constexpr const char* kLinesOnlyBut = QUARROW_TEXT("Wiring", " only, but the ");
inline constexpr const char* kLinesOnlyGiven = QUARROW_TEXT("Wiring", " line is given ");
inline constexpr const char* kLinesOnlyEnd = QUARROW_TEXT("Wiring", "; give it a line the chip has");
// "no wiring is set for gpiochip0 (pinctrl-bcm2835): ..."
inline constexpr const char* kPinsNoWiring = QUARROW_TEXT("Wiring", "no wiring is set for ");
inline constexpr const char* kPinsNoWiringWhy =
    QUARROW_TEXT("Wiring", ": a GPIO header has no usual place for the PROM, so no line is driven until the clock, reset "
                           "and data lines are named, as clock=GPIO17,reset=GPIO27,data=GPIO22 (the README's "
                           "Raspberry Pi panel)");
// "the pin assignment names lines of gpiochip1, but this programmer is gpiochip0: ..."
inline constexpr const char* kPinsOtherChip = QUARROW_TEXT("Wiring", "the pin assignment names lines of ");
inline constexpr const char* kPinsOtherChipBut = QUARROW_TEXT("Wiring", ", but this programmer is ");
inline constexpr const char* kPinsOtherChipEnd = QUARROW_TEXT("Wiring", ": give the pins by its own names");

// What is wrong with the wiring file: "FILE: " and the system's words, or "FILE:LINE: " and one of
// these, a value between two texts quoted.
inline constexpr const char* kNoSettingsFolderWindows =
    QUARROW_TEXT("Wiring", "%APPDATA% is not set, so there is no folder for the wiring file");
inline constexpr const char* kNoSettingsFolder = QUARROW_TEXT("Wiring",
    "neither $XDG_CONFIG_HOME nor $HOME is set, so there is no folder for the wiring file");
inline constexpr const char* kWiringFileTooLarge =
    QUARROW_TEXT("Wiring", "it is larger than 1 MiB, which no wiring file is");
inline constexpr const char* kWiringNotALine =
    QUARROW_TEXT("Wiring", " is neither [serial SERIAL], [default] nor SETTING = VALUE");
inline constexpr const char* kWiringSettingOutside =
    QUARROW_TEXT("Wiring", "a setting before the first [serial SERIAL] or [default] line");
inline constexpr const char* kWiringNotASection = QUARROW_TEXT("Wiring", " is neither [serial SERIAL] nor [default]");
// "[serial A] appears twice (first on line 1)"
inline constexpr const char* kWiringSectionTwice = QUARROW_TEXT("Wiring", " appears twice (first on line ");
inline constexpr const char* kWiringSectionTwiceEnd = ")";
inline constexpr const char* kWiringNoSerial = QUARROW_TEXT("Wiring", "[serial ] names no serial number");
// "pins is given twice in [serial A]"
inline constexpr const char* kWiringSettingTwice = QUARROW_TEXT("Wiring", " is given twice in ");
inline constexpr const char* kWiringBadInvertData = QUARROW_TEXT("Wiring", "invert-data is ");
inline constexpr const char* kWiringBadInvertDataEnd = QUARROW_TEXT("Wiring", " (it is yes or no)");
inline constexpr const char* kWiringUnknownSetting = QUARROW_TEXT("Wiring", "unknown setting ");
inline constexpr const char* kWiringUnknownSettingEnd =
    QUARROW_TEXT("Wiring", " (the settings are pins and invert-data)");
inline constexpr const char* kWiringNoPins =
    QUARROW_TEXT("Wiring", " has no pins = clock=PIN,reset=PIN,data=PIN line");

// Where earlier versions of the window kept each programmer's wiring (QSettings), under its serial
// number; carried over into the wiring file once.
inline constexpr const char* kSettingsOrganization = "Quarrow";
inline constexpr const char* kSettingsApplication = "Quarrow";
inline constexpr const char* kWiringSettingsGroup = "wiring";

// ----------------------------------------------------------------------------------------------
// Pin traces: the --trace files of quarrow-cli and the trace drawn in the wiring dialog.

// Followed directly by the path.
inline constexpr const char* kTraceSavedTo = QUARROW_TEXT("Trace", "Pin trace saved to - ");
inline constexpr const char* kTraceHelp = QUARROW_TEXT("Trace",
    "Also record every pin write and read with its time in FILE, a Value Change Dump (.vcd) that "
    "PulseView, GTKWave and sigrok-cli open");
inline constexpr const char* kTraceIsStandardOutput = QUARROW_TEXT("Trace",
    "--trace: standard output holds the command's result, so the trace needs a file of its own "
    "(./- for a file named -)");
inline constexpr const char* kTraceIsTheImageFile =
    QUARROW_TEXT("Trace", "--trace and --output name the same file");

// The trace in the wiring dialog. Its accessible description reads, for example: "Pin trace of the
// check, 680 ms: clock (D0) 20 low pulses; reset (D1) 2 high pulses; data (D4) 41 samples, read as
// 1011 0010 ...".
inline constexpr const char* kTraceViewName = "IDC_WIRING_TRACE";
inline constexpr const char* kTraceViewAccessibleName = QUARROW_TEXT("Trace", "Pin trace");
inline constexpr const char* kTraceViewEmpty =
    QUARROW_TEXT("Trace", "No pin trace yet: Check wiring records one.");
inline constexpr const char* kTraceViewOf = QUARROW_TEXT("Trace", "Pin trace of the check, ");
inline constexpr const char* kTraceViewLowPulses = QUARROW_TEXT("Trace", " low pulses");
inline constexpr const char* kTraceViewHighPulses = QUARROW_TEXT("Trace", " high pulses");
inline constexpr const char* kTraceViewSamples = QUARROW_TEXT("Trace", " samples, read as ");
inline constexpr const char* kTraceViewNoSamples = QUARROW_TEXT("Trace", " never read");
inline constexpr const char* kTraceViewFailed =
    QUARROW_TEXT("Trace", "; the programmer did not take every operation");

// ----------------------------------------------------------------------------------------------
// What only the command line shows.

inline constexpr const char* kProgramName = "quarrow-cli";
// Followed by the bit numbers, comma-separated.
inline constexpr const char* kDifferingBits = QUARROW_TEXT("CommandLine", "Differing bits: ");
inline constexpr const char* kCantWriteOutput =
    QUARROW_TEXT("CommandLine", "Can't write to standard output - the result did not reach it");
inline constexpr const char* kCantIdentify = QUARROW_TEXT("CommandLine", "Can't compute the image's SHA-1: ");
// "Note - PATH holds N bytes, not 16: " and then one of these two.
inline constexpr const char* kShortFileNote =
    QUARROW_TEXT("CommandLine", "the missing bytes were taken as 00");
inline constexpr const char* kLongFileNote = QUARROW_TEXT("CommandLine", "only the first 16 bytes were used");
inline constexpr const char* kReadInterrupted =
    QUARROW_TEXT("CommandLine", "Read interrupted - the programmer was closed and nothing was saved");
inline constexpr const char* kReadLooksBroken = QUARROW_TEXT("CommandLine",
    "The read looks broken (--strict) - nothing was saved; check the chip and its socket");
// Follows the diagnosis that reads differ, then "BIT (read as 1 by ONES of READS reads)", ...
inline constexpr const char* kUnstableBits = QUARROW_TEXT("CommandLine", "; unstable bits: ");
// Before the convert line that turns a near miss into the known dump.
inline constexpr const char* kRepairWith = QUARROW_TEXT("CommandLine", "Repair with: ");
// Before the command line that opens a known dump's file in the layout its bytes are in.
inline constexpr const char* kOpenWith = QUARROW_TEXT("CommandLine", "Open it with: ");
// compare: "Note - FILE" kComparedAsOpened SETS kComparedAsOpenedEnd LAYOUT ", as: " and the line.
inline constexpr const char* kComparedAsOpened =
    QUARROW_TEXT("CommandLine", " is byte for byte the file of ");
inline constexpr const char* kComparedAsOpenedEnd = QUARROW_TEXT("CommandLine",
    " - the chip is compared with it as opened; "
    "open it in the ");
inline constexpr const char* kComparedAsOpenedAs =
    QUARROW_TEXT("CommandLine", " layout to compare the dump, as: ");
// --rom-load of a near miss, on standard error instead of the line.
inline constexpr const char* kNoRomLoadForNearMiss = QUARROW_TEXT("CommandLine",
    "No ROM_LOAD line for a near miss: the image is not that set's dump until it is repaired");
inline constexpr const char* kInsertNextChip =
    QUARROW_TEXT("CommandLine", "Insert the next chip and press Enter (q to quit)");
// "Archived as PATH", "Already archived as PATH", "Not archived - WHY"
inline constexpr const char* kArchivedAs = QUARROW_TEXT("CommandLine", "Archived as ");
inline constexpr const char* kAlreadyArchivedAs = QUARROW_TEXT("CommandLine", "Already archived as ");
inline constexpr const char* kNotArchived = QUARROW_TEXT("CommandLine", "Not archived - ");
inline constexpr const char* kCantUseArchiveFolder =
    QUARROW_TEXT("CommandLine", "Can't use the archive folder - ");
inline constexpr const char* kNotAFolder = QUARROW_TEXT("CommandLine", "it is not a folder");
// Before the chip's number and kReading, on the progress line.
inline constexpr const char* kChipLabel = QUARROW_TEXT("CommandLine", "Chip ");
// "Chips read: N, archived: N, already archived: N, refused: N"
inline constexpr const char* kSummaryChipsRead = QUARROW_TEXT("CommandLine", "Chips read: ");
inline constexpr const char* kSummaryArchived = QUARROW_TEXT("CommandLine", ", archived: ");
inline constexpr const char* kSummaryAlreadyArchived = QUARROW_TEXT("CommandLine", ", already archived: ");
inline constexpr const char* kSummaryRefused = QUARROW_TEXT("CommandLine", ", refused: ");
// The result column of archive.tsv and of --json. The set column says this of a dump no set has.
inline constexpr const char* kArchiveUnknownSet = QUARROW_TEXT("CommandLine", "unknown");
inline constexpr const char* kResultArchived = QUARROW_TEXT("CommandLine", "archived");
inline constexpr const char* kResultAlreadyArchived = QUARROW_TEXT("CommandLine", "already archived");
inline constexpr const char* kResultReadFailed = QUARROW_TEXT("CommandLine", "read failed");
inline constexpr const char* kResultSaveFailed = QUARROW_TEXT("CommandLine", "save failed");
inline constexpr const char* kResultBroken = QUARROW_TEXT("CommandLine", "broken: ");      // then the diagnosis in short
// Then the number and kResultBit or kResultBits.
inline constexpr const char* kResultUnstable = QUARROW_TEXT("CommandLine", "unstable: ");
inline constexpr const char* kResultBit = QUARROW_TEXT("CommandLine", " bit");
inline constexpr const char* kResultBits = QUARROW_TEXT("CommandLine", " bits");
// "Not converted - IN read in the L1 layout is no known dump, but read in the L2 layout it is SET:
// it is probably in the L2 layout already (--from l2); --force converts it anyway"
inline constexpr const char* kNotConverted = QUARROW_TEXT("CommandLine", "Not converted - ");
inline constexpr const char* kNotConvertedReadIn = QUARROW_TEXT("CommandLine", " read in the ");
inline constexpr const char* kNotConvertedNoDump =
    QUARROW_TEXT("CommandLine", " layout is no known dump, but read in the ");
inline constexpr const char* kNotConvertedItIs = QUARROW_TEXT("CommandLine", " layout it is ");
inline constexpr const char* kNotConvertedProbably = QUARROW_TEXT("CommandLine", ": it is probably in the ");
inline constexpr const char* kNotConvertedAlready = QUARROW_TEXT("CommandLine", " layout already (--from ");
inline constexpr const char* kNotConvertedForce =
    QUARROW_TEXT("CommandLine", "); --force converts it anyway");
// "Not converted - IN is byte for byte the file of SETS in the L layout, as MAME keeps it, and what
// would be written is no known dump's file; --force converts it anyway"
inline constexpr const char* kNotConvertedIsDump =
    QUARROW_TEXT("CommandLine", " is byte for byte the file of ");
inline constexpr const char* kNotConvertedInLayout = QUARROW_TEXT("CommandLine", " in the ");
inline constexpr const char* kNotConvertedNoDumpWritten = QUARROW_TEXT("CommandLine",
    " layout, as MAME keeps it, and what would be written is no known dump's file; --force "
    "converts it anyway");
// "Not converted - IN holds N bytes, not 16: ..." for a conversion in place.
inline constexpr const char* kNotConvertedHolds = QUARROW_TEXT("CommandLine", " holds ");
inline constexpr const char* kNotConvertedInPlace = QUARROW_TEXT("CommandLine",
    " bytes, not 16: replacing it with 16 bytes in place could lose what it holds; write to a new "
    "file instead");
inline constexpr const char* kCantWriteArchiveLog =
    QUARROW_TEXT("CommandLine", "Can't write the archive log - ");
// Why the log is refused, after its path.
inline constexpr const char* kArchiveLogIsALink = QUARROW_TEXT("CommandLine",
    "it is a symbolic link - the log must be a regular file in the folder; move the link aside");
inline constexpr const char* kArchiveLogNotRegular =
    QUARROW_TEXT("CommandLine", "it is not a regular file (a FIFO, a device or a socket) - move it aside");
inline constexpr const char* kArchiveLogDiskTookNothing =
    QUARROW_TEXT("CommandLine", "the disk took none of the line");
inline constexpr const char* kArchiveLogPartLeft =
    QUARROW_TEXT("CommandLine", "; part of the line is left in the log, without its line break");
// "Note - PATH has no note column ..."
inline constexpr const char* kNote = QUARROW_TEXT("CommandLine", "Note - ");
inline constexpr const char* kArchiveLogWithoutNotes = QUARROW_TEXT("CommandLine",
    " has no note column (a log begun by an older version): the lines typed at the prompt are left "
    "out of it; move it aside to start a log with notes");
// "it is a symbolic link to TARGET, which does not exist"
inline constexpr const char* kDanglingLinkTo = QUARROW_TEXT("CommandLine", "it is a symbolic link to ");
inline constexpr const char* kDanglingLinkMissing = QUARROW_TEXT("CommandLine", ", which does not exist");
// Typed at the prompt instead of a chip's note: checks the wiring and prompts again.
inline constexpr const char* kSelfTestAtPrompt = QUARROW_TEXT("CommandLine", "selftest");
// Shown above the prompt after this many broken or near-miss reads in a row.
inline constexpr int kSuspectReadsBeforeWiringHint = 3;
inline constexpr const char* kCheckWiringHint = QUARROW_TEXT("CommandLine",
    " reads in a row looked broken or were near misses - check the programmer's wiring: type "
    "selftest and press Enter to test it");
// "Not archived - near miss of SET: ADVICE", the advice identification gives for its cause
inline constexpr const char* kNearMissOf = QUARROW_TEXT("CommandLine", "near miss of ");
// The result column: "near miss: inverted"
inline constexpr const char* kResultNearMiss = QUARROW_TEXT("CommandLine", "near miss: ");
// The end of each command's --help.
inline constexpr const char* kProgramOptionsNote = QUARROW_TEXT("CommandLine",
    "\n\nThe program's options (-v, -q, --simulate, --simulate-image, --pins, --invert-data,\n"
    "--known-dumps) go before or after the command; quarrow-cli --help tells them.");
// After the word that was given where a command was expected, in quotes.
inline constexpr const char* kNotACommand = QUARROW_TEXT("CommandLine",
    " is not a command; the commands are show, identify, convert, list, list-chips, read, compare, "
    "archive, selftest and wiring");

// read --json with -o naming standard output: the image's bytes would land in front of the object.
inline constexpr const char* kJsonOutputIsStandardOutput = QUARROW_TEXT("CommandLine",
    "--json prints the result on standard output, so --output must name another file than "
    "standard output (-o -)");

// read -o - on a terminal: the image's 16 bytes would land on the screen as noise.
inline constexpr const char* kImageOutputIsTerminal = QUARROW_TEXT("CommandLine",
    "-o - writes the image's bytes to standard output, which is a terminal; redirect it into a "
    "file or a pipe (quarrow-cli read -o - > dump.prm), or name the file with -o FILE");
inline constexpr const char* kImageOutputIsClosed = QUARROW_TEXT("CommandLine",
    "-o - writes the image's bytes to standard output, which is closed, so they would be lost; "
    "redirect it into a file or a pipe, or name the file with -o FILE");

// wiring: "Wiring file: PATH", then "SERIAL: PINS" lines.
inline constexpr const char* kWiringFile = QUARROW_TEXT("CommandLine", "Wiring file: ");
inline constexpr const char* kWiringDefaultForAll =
    QUARROW_TEXT("CommandLine", "default for all programmers: ");
inline constexpr const char* kNoWiringsStored = QUARROW_TEXT("CommandLine", "No wirings stored");
inline constexpr const char* kWiringIsTheDefault =
    QUARROW_TEXT("CommandLine", " (the default for all programmers)");
// Followed by the default board's pins and ")".
inline constexpr const char* kNothingStoredFor =
    QUARROW_TEXT("CommandLine", "nothing stored (the default board: ");
// "Stored the wiring for SERIAL in PATH: PINS", "Dropped the wiring stored for SERIAL in PATH".
inline constexpr const char* kStoredFor = QUARROW_TEXT("CommandLine", "Stored the wiring for ");
inline constexpr const char* kForgotten = QUARROW_TEXT("CommandLine", "Dropped the wiring stored for ");
inline constexpr const char* kNothingToForget = QUARROW_TEXT("CommandLine", "No wiring was stored for ");
inline constexpr const char* kWiringNeedsSerial =
    QUARROW_TEXT("CommandLine", "--pins and --forget need the programmer's SERIAL");
inline constexpr const char* kWiringOptionsClash = QUARROW_TEXT("CommandLine",
    "wiring takes SERIAL --pins PINS [--invert-data] to store a wiring, or SERIAL --forget");

// After a wiring file that cannot be read, when quarrow-cli needs it.
inline constexpr const char* kMendWiringFileOrPins =
    QUARROW_TEXT("CommandLine", " (mend or remove the file, or give --pins)");

}  // namespace quarrow::res
