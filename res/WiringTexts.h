// SPDX-License-Identifier: GPL-3.0-or-later
// Texts about the programmer's wiring: the pin assignment and the wiring self-test. Shared by the
// window and quarrow-cli.
#pragma once

namespace quarrow::res {

// The environment variable that holds a pin assignment, "clock=PIN,reset=PIN,data=PIN".
inline constexpr const char* kPinsVariable = "QUARROW_PINS";

// Self-test findings. An output finding is preceded by the line and its pin: "clock (D0): ".
inline constexpr const char* kOutputFollows = "follows what is written";
inline constexpr const char* kOutputStuck =
    "does not follow what is written - the pin is not connected to this chip's pin, is shorted to "
    "another line or a supply, or the chip is a clone that ignores the direction mask";
// The data finding is preceded by "data (D4): ", or "data (D4, inverted): ".
inline constexpr const char* kDataNeverChanges =
    "never changes - no chip, the chip is not powered, the wrong data pin, or a blank chip";
inline constexpr const char* kDataFollowsClock =
    "follows the clock - the data and clock pins are crossed or shorted";
inline constexpr const char* kDataFollowsReset =
    "follows the reset - the data and reset pins are crossed or shorted";
inline constexpr const char* kDataNotRepeatable =
    "changes, but not the same way after a second reset - a loose contact or a floating line";
inline constexpr const char* kDataLikeAChip = "changes as a chip's would";
// An input pin the wiring does not name, on which the chip's data shows: "D6 (input): " and this,
// followed by the options that read it ("--pins clock=D0,reset=D1,data=D6").
inline constexpr const char* kInputPinHeading = " (input): ";
inline constexpr const char* kChipOnOtherPin =
    "changes as a chip's data line would - the PROM's data line is probably wired to this pin, not to "
    "the data pin; read it with ";
// Nothing answered until clock and reset were tried in each other's roles: these, with the pin the
// chip answered on and the options that read it between them.
inline constexpr const char* kClockResetSwapped = "clock and reset swapped: the chip answers on ";
inline constexpr const char* kClockResetSwappedFix =
    " - the clock and reset pins are probably crossed; read it with ";
// Preceded by "data (D4): " where a chip answers.
inline constexpr const char* kPolarityUnseen =
    "its polarity cannot be seen here, as an inverted line changes as a chip's would too - read the "
    "chip and run identify on the dump: an inverted line shows as a near miss";
inline constexpr const char* kPinsOption = "--pins ";
inline constexpr const char* kInvertDataOption = " --invert-data";
inline constexpr const char* kPinOperationsFailed =
    "The programmer did not answer every pin operation - connect it again and repeat the check";

inline constexpr const char* kWiringPlausible = "Wiring plausible";
// Followed by the first fault found.
inline constexpr const char* kWiringFaulty = "Wiring fault likely: ";

// The status line after Connect when the wiring is not the default board's; followed by the
// assignment's text.
inline constexpr const char* kWiringInUse = "Pin assignment in use: ";
inline constexpr const char* kDataInverted = ", data inverted";
// The status line after OK in the wiring dialog has set the connected programmer up again; followed
// by kWiringInUse and the assignment.
inline constexpr const char* kReconnectedWithWiring = "Connected again with the new wiring - ";
// The wiring dialog's note while $QUARROW_PINS is set; followed by its assignment.
inline constexpr const char* kPinsVariableWins =
    "QUARROW_PINS is set and wins over the wiring chosen here at Connect: ";

// The "Programmer wiring" dialog. Object names are the controls' identifiers.
inline constexpr const char* kWiringDialogName = "IDD_WIRING";
inline constexpr const char* kWiringTitle = "Programmer wiring";
// Followed by the programmer's serial number, or kWiringNoProgrammer.
inline constexpr const char* kWiringFor = "Wiring of programmer ";
inline constexpr const char* kWiringNoProgrammer = "(none chosen: the default for all programmers)";
inline constexpr const char* kWiringClockLabel = "&Clock pin:";
inline constexpr const char* kWiringResetLabel = "&Reset pin:";
inline constexpr const char* kWiringDataLabel = "&Data pin:";
inline constexpr const char* kWiringInvertData = "Data line &inverted (inverting buffer on the board)";
inline constexpr const char* kWiringDefault = "De&fault wiring";
inline constexpr const char* kWiringCheck = "C&heck wiring...";
inline constexpr const char* kWiringCheckNeedsConnect =
    "Connect to this programmer first: the check drives its pins";
inline constexpr const char* kWiringPinsClash = "Each line needs a pin of its own";
inline constexpr const char* kWiringApplies = "The wiring applies from the next Connect.";
inline constexpr const char* kWiringAppliesNow =
    "OK connects this programmer again with the wiring chosen, if it has changed.";
// What a screen reader says of the dialog's controls.
inline constexpr const char* kWiringClockDescription =
    "The programmer pin wired to the PROM's clock line; the programmer drives it";
inline constexpr const char* kWiringResetDescription =
    "The programmer pin wired to the PROM's reset line; the programmer drives it";
inline constexpr const char* kWiringDataDescription =
    "The programmer pin wired to the PROM's data line; the programmer only reads it";
inline constexpr const char* kWiringInvertDescription =
    "Check when the data line passes an inverting buffer on its way to the programmer";
inline constexpr const char* kWiringDefaultDescription =
    "Shows the wiring this programmer gets when none is chosen for it";
inline constexpr const char* kWiringCheckDescription =
    "Checks the wiring shown on the connected programmer, in under a second, and writes what it "
    "found in the check result";
inline constexpr const char* kWiringOkDescription = "Stores the wiring shown for this programmer";
inline constexpr const char* kWiringOkConnectedDescription =
    "Stores the wiring shown and connects the programmer again with it";
inline constexpr const char* kWiringCancelDescription = "Closes the dialog without storing anything";
inline constexpr const char* kWiringReportAccessibleName = "Check result";
inline constexpr const char* kWiringReportDescription =
    "What Check wiring found: each line's pin and how it behaved, then the verdict";
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
inline constexpr const char* kUsingStoredWiring = "Using the wiring stored for ";
inline constexpr const char* kUsingStoredDefault = "Using the default wiring stored in ";
inline constexpr const char* kStoredIn = " in ";
// Followed by the file, the line and what is wrong there.
inline constexpr const char* kCantReadWirings = "Can't read the stored wirings - ";
inline constexpr const char* kCantStoreWiring = "Can't store the wiring - ";
inline constexpr const char* kMendWiringFile = " (mend or remove the file)";
// Followed by the settings file and kNotARegularFile, or by the wiring file's problem.
inline constexpr const char* kCantCarryOver = "Can't carry over the wirings an earlier version stored - ";
inline constexpr const char* kNotARegularFile = ": it is not a regular file";
// After "QUARROW_PINS: " and what is wrong with its value, in the window.
inline constexpr const char* kPinsVariableIgnored =
    " - the window does not use it: Connect uses the stored wiring or the default board";

// Where earlier versions of the window kept each programmer's wiring (QSettings), under its serial
// number; carried over into the wiring file once.
inline constexpr const char* kSettingsOrganization = "Quarrow";
inline constexpr const char* kSettingsApplication = "Quarrow";
inline constexpr const char* kWiringSettingsGroup = "wiring";

}  // namespace quarrow::res
