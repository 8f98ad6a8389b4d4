// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for FTDI's ftd2xx.dll, for tests under Wine or Windows only, never installed: the
// simulated programmer (an FT232R with an RP5H01 on D0 (clock, the falling edge advances), D1
// (reset) and D4 (data)) behind the D2XX functions the program loads, with FTDI's published
// signatures: its list as D2XX records, FT_Open and FT_OpenEx its opens, FT_SetBitMode its
// outputs, FT_Write and FT_GetBitMode its pins.
//   QUARROW_TEST_CHIP    a MAME-layout image file the chip holds (default: the simulator's sample)
//   QUARROW_TEST_FAULT   "reads-fail": pin reads fail from the 64th clock after a reset on;
//                        "setup-fails": FT_SetBaudRate fails; "short-write": FT_Write reports
//                        success but takes nothing; "absurd-count": FT_CreateDeviceInfoList
//                        counts 0xFFFFFFFF devices; "long-serial": the serial fills all 16 bytes;
//                        "no-devices": the list is empty
//   QUARROW_TEST_CALL_LOG  a file each D2XX call appends its name to, one a line
//   QUARROW_TEST_CHIP_TYPE  the FTDI chip it poses as (FT232R default, FT232H, FT2232H, ...): its
//                        device type in the list, one record per port (serials ending A, B, ...)
// Built a second time without FT_GetBitMode, as an old or foreign ftd2xx.dll would be.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "D2xx.h"
#include "sim/SimulatedProgrammer.h"

namespace {

using quarrow::FT_DEVICE_LIST_INFO_NODE;
using quarrow::FT_HANDLE;
using quarrow::FT_STATUS;
using quarrow::IOpenProgrammer;
using quarrow::SimulatedProgrammer;

constexpr const char* kSerial = "FTQ2XX01";
constexpr const char* kLongSerial = "FTQ2XX0123456789";  // 16 characters, no room for a terminator
constexpr const char* kDescription = "FT232R USB UART (test ftd2xx.dll)";
constexpr int kFailingBit = 64;

std::wstring Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

bool Fault(const wchar_t* name) {
  static const std::wstring fault = Environment(L"QUARROW_TEST_FAULT");
  return fault == name;
}

// Made on first use, not in DllMain, where the loader lock forbids most of what this does.
SimulatedProgrammer& Programmer() {
  static SimulatedProgrammer* const programmer = [] {
    auto* sim = new SimulatedProgrammer();
    const std::wstring chip = Environment(L"QUARROW_TEST_CHIP");
    // A chip file that cannot be read leaves the chip empty rather than the sample: a test that
    // named a file must not pass on the sample's bits.
    if (!chip.empty() && !sim->LoadChipFile(chip, quarrow::ImageFileLayout::Mame)) sim->SetChip({});
    quarrow::SimulatedOptions options;
    const quarrow::SimulatedDevice ft232r{Fault(L"long-serial") ? kLongSerial : kSerial, kDescription};
    options.devices = std::vector{ft232r};
    const std::wstring type = Environment(L"QUARROW_TEST_CHIP_TYPE");
    if (const auto chip = quarrow::ChipNamed(std::string(type.begin(), type.end())); chip) {
      const quarrow::FtdiChipFacts& facts = quarrow::FactsOf(*chip);
      options.chip = *chip;
      options.devices->clear();
      for (int port = 0; port < facts.interfaces; ++port) {
        const std::string letter = facts.interfaces > 1 ? std::string(1, static_cast<char>('A' + port)) : "";
        options.devices->push_back({kSerial + letter, std::string(facts.name) + " board " + letter, *chip, port});
      }
    }
    if (Fault(L"reads-fail")) options.failReadsFromBit = kFailingBit;
    sim->SetOptions(options);
    return sim;
  }();
  return *programmer;
}

// The programmers of the last FT_CreateDeviceInfoList, and those open, by the handle given out.
std::mutex mutex;
std::vector<quarrow::FoundProgrammer> listed;
std::map<FT_HANDLE, std::unique_ptr<IOpenProgrammer>> open;
std::uintptr_t nextHandle = 0x5150;

FT_STATUS StatusOf(quarrow::ProgrammerFault fault) {
  switch (fault) {
    case quarrow::ProgrammerFault::None: return quarrow::FT_OK;
    case quarrow::ProgrammerFault::InvalidHandle: return quarrow::FT_INVALID_HANDLE;
    case quarrow::ProgrammerFault::NotFound: return quarrow::FT_DEVICE_NOT_FOUND;
    case quarrow::ProgrammerFault::NotOpened: return quarrow::FT_DEVICE_NOT_OPENED;
    case quarrow::ProgrammerFault::Io: return quarrow::FT_IO_ERROR;
    case quarrow::ProgrammerFault::InvalidParameter: return quarrow::FT_INVALID_PARAMETER;
    default: return quarrow::FT_OTHER_ERROR;
  }
}

// Opens as D2XX does: the pins all inputs until FT_SetBitMode chooses the outputs.
FT_STATUS OpenChoice(const quarrow::ProgrammerChoice& choice, FT_HANDLE* handle) {
  quarrow::OpenedProgrammer opened = Programmer().Open(choice, 0x00);
  if (!opened.programmer) return StatusOf(opened.failure.fault);
  std::lock_guard lock(mutex);
  *handle = reinterpret_cast<FT_HANDLE>(nextHandle);
  nextHandle += 0x10;
  open[*handle] = std::move(opened.programmer);
  return quarrow::FT_OK;
}

// The open programmer behind `handle`, or null. It stays open while a call uses it: only FT_Close
// ends it, which the program never calls during another call on the same handle.
IOpenProgrammer* Opened(FT_HANDLE handle) {
  std::lock_guard lock(mutex);
  const auto it = open.find(handle);
  return it == open.end() ? nullptr : it->second.get();
}

// A D2XX record field filled from `text`: as long as the field or longer, with no terminator.
template <std::size_t N>
void Fill(char (&field)[N], const std::string& text) {
  std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

// Appends the call's name to the log, if a test asked for one.
void Log(const char* call) {
  const std::wstring path = Environment(L"QUARROW_TEST_CALL_LOG");
  if (path.empty()) return;
  if (FILE* log = _wfopen(path.c_str(), L"ab")) {
    std::fprintf(log, "%s\n", call);
    std::fclose(log);
  }
}

}  // namespace

#define FTD2XX_EXPORT extern "C" __declspec(dllexport) ULONG WINAPI

FTD2XX_EXPORT FT_CreateDeviceInfoList(LPDWORD count) {
  Log("FT_CreateDeviceInfoList");
  if (count == nullptr) return quarrow::FT_INVALID_PARAMETER;
  std::vector<quarrow::FoundProgrammer> found = Programmer().List();
  std::lock_guard lock(mutex);
  listed = std::move(found);
  if (Fault(L"no-devices")) listed.clear();
  *count = Fault(L"absurd-count") ? 0xFFFFFFFF : static_cast<DWORD>(listed.size());
  return quarrow::FT_OK;
}

FTD2XX_EXPORT FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, LPDWORD count) {
  Log("FT_GetDeviceInfoList");
  if (list == nullptr || count == nullptr) return quarrow::FT_INVALID_PARAMETER;
  std::lock_guard lock(mutex);
  DWORD filled = 0;
  for (; filled < *count && filled < listed.size(); ++filled) {
    const quarrow::FoundProgrammer& programmer = listed[filled];
    FT_DEVICE_LIST_INFO_NODE record;
    record.Type = quarrow::FactsOf(programmer.chip.value_or(quarrow::FtdiChip::FT232R)).d2xxType;
    Fill(record.SerialNumber, programmer.serial);
    Fill(record.Description, programmer.description);
    list[filled] = record;
  }
  *count = filled;
  return quarrow::FT_OK;
}

FTD2XX_EXPORT FT_OpenEx(PVOID arg, DWORD flags, FT_HANDLE* handle) {
  Log("FT_OpenEx");
  if (arg == nullptr || handle == nullptr || flags != quarrow::FT_OPEN_BY_SERIAL_NUMBER) {
    return quarrow::FT_INVALID_PARAMETER;
  }
  return OpenChoice(quarrow::ProgrammerChoice::BySerial(static_cast<const char*>(arg)), handle);
}

FTD2XX_EXPORT FT_Open(int index, FT_HANDLE* handle) {
  Log("FT_Open");
  if (handle == nullptr) return quarrow::FT_INVALID_PARAMETER;
  return OpenChoice(quarrow::ProgrammerChoice::AtPlace(index), handle);
}

FTD2XX_EXPORT FT_Close(FT_HANDLE handle) {
  Log("FT_Close");
  std::unique_ptr<IOpenProgrammer> closing;
  std::lock_guard lock(mutex);
  const auto it = open.find(handle);
  if (it == open.end()) return quarrow::FT_INVALID_HANDLE;
  closing = std::move(it->second);
  open.erase(it);
  return quarrow::FT_OK;
}

FTD2XX_EXPORT FT_SetBitMode(FT_HANDLE handle, UCHAR mask, UCHAR /*mode*/) {
  IOpenProgrammer* programmer = Opened(handle);
  if (programmer == nullptr) return quarrow::FT_INVALID_HANDLE;
  return programmer->SetOutputs(mask) ? quarrow::FT_OK : quarrow::FT_IO_ERROR;
}

FTD2XX_EXPORT FT_SetBaudRate(FT_HANDLE handle, ULONG /*baud*/) {
  if (Fault(L"setup-fails")) return quarrow::FT_IO_ERROR;
  return Opened(handle) != nullptr ? quarrow::FT_OK : quarrow::FT_INVALID_HANDLE;
}

FTD2XX_EXPORT FT_SetTimeouts(FT_HANDLE handle, ULONG /*readMs*/, ULONG /*writeMs*/) {
  return Opened(handle) != nullptr ? quarrow::FT_OK : quarrow::FT_INVALID_HANDLE;
}

FTD2XX_EXPORT FT_ResetDevice(FT_HANDLE handle) {
  return Opened(handle) != nullptr ? quarrow::FT_OK : quarrow::FT_INVALID_HANDLE;
}

FTD2XX_EXPORT FT_Write(FT_HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  if (written == nullptr || (data == nullptr && size > 0)) return quarrow::FT_INVALID_PARAMETER;
  *written = 0;
  if (Fault(L"short-write")) return quarrow::FT_OK;
  IOpenProgrammer* programmer = Opened(handle);
  if (programmer == nullptr) return quarrow::FT_INVALID_HANDLE;
  for (const auto* byte = static_cast<const std::uint8_t*>(data); *written < size; ++*written) {
    if (!programmer->WritePins(byte[*written])) return quarrow::FT_IO_ERROR;
  }
  return quarrow::FT_OK;
}

#ifndef QUARROW_TEST_WITHOUT_GETBITMODE
FTD2XX_EXPORT FT_GetBitMode(FT_HANDLE handle, PUCHAR pins) {
  if (pins == nullptr) return quarrow::FT_INVALID_PARAMETER;
  IOpenProgrammer* programmer = Opened(handle);
  if (programmer == nullptr) return quarrow::FT_INVALID_HANDLE;
  return programmer->ReadPins(*pins) ? quarrow::FT_OK : quarrow::FT_IO_ERROR;
}
#endif
