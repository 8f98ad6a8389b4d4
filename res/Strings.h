// The texts the tool shows a person: status line, message boxes and their captions. The window and
// the command line both take their words from here.
#pragma once

namespace quarrow::res {

inline constexpr int IDS_OPEN_PROGRAMMER = 101;
inline constexpr const char* kOpenProgrammer = "Open USB programmer";

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

inline constexpr const char* kVersion = "2.0.0";

}  // namespace quarrow::res
