// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for FTDI's ftd2xx.dll, for tests under Wine or Windows only, never installed: the
// simulated FT232R with an RP5H01 on D0 (clock, the falling edge advances), D1 (reset) and D4 (data),
// behind the D2XX functions the program loads, with FTDI's published signatures.
//   QUARROW_TEST_CHIP    a MAME-layout image file the chip holds (default: the simulator's sample)
//   QUARROW_TEST_FAULT   "reads-fail": pin reads fail from the 64th clock after a reset on;
//                        "setup-fails": FT_SetBaudRate fails; "short-write": FT_Write reports
//                        success but takes nothing; "absurd-count": FT_CreateDeviceInfoList
//                        counts 0xFFFFFFFF devices; "long-serial": the serial fills all 16 bytes
//   QUARROW_TEST_CALL_LOG  a file each D2XX call appends its name to, one a line
//   QUARROW_TEST_CHIP_TYPE  the FTDI chip it poses as (FT232R default, FT232H, FT2232H, ...): its
//                        device type in the list, one record per port (serials ending A, B, ...)
// Built a second time without FT_GetBitMode, as an old or foreign ftd2xx.dll would be.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/SimulatedProgrammer.h"

namespace {

using quarrow::FT_DEVICE_LIST_INFO_NODE;
using quarrow::FT_HANDLE;
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
    options.devices = {
        {quarrow::SimulatedDeviceRecord(Fault(L"long-serial") ? kLongSerial : kSerial, kDescription)}};
    const std::wstring type = Environment(L"QUARROW_TEST_CHIP_TYPE");
    if (const auto chip = quarrow::ChipNamed(std::string(type.begin(), type.end())); chip) {
      const quarrow::FtdiChipFacts& facts = quarrow::FactsOf(*chip);
      options.chip = *chip;
      options.devices->clear();
      for (int port = 0; port < facts.interfaces; ++port) {
        const std::string letter = facts.interfaces > 1 ? std::string(1, static_cast<char>('A' + port)) : "";
        options.devices->push_back(quarrow::SimulatedDeviceRecord(
            kSerial + letter, std::string(facts.name) + " board " + letter, facts.d2xxType));
      }
    }
    if (Fault(L"reads-fail")) options.failReadsFromBit = kFailingBit;
    sim->SetOptions(options);
    return sim;
  }();
  return *programmer;
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
  const ULONG status = Programmer().FT_CreateDeviceInfoList(reinterpret_cast<std::uint32_t*>(count));
  if (Fault(L"absurd-count")) *count = 0xFFFFFFFF;
  return status;
}

FTD2XX_EXPORT FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, LPDWORD count) {
  Log("FT_GetDeviceInfoList");
  return Programmer().FT_GetDeviceInfoList(list, reinterpret_cast<std::uint32_t*>(count));
}

FTD2XX_EXPORT FT_OpenEx(PVOID arg, DWORD flags, FT_HANDLE* handle) {
  Log("FT_OpenEx");
  return Programmer().FT_OpenEx(static_cast<const char*>(arg), flags, handle);
}

FTD2XX_EXPORT FT_Open(int index, FT_HANDLE* handle) {
  Log("FT_Open");
  return Programmer().FT_Open(index, handle);
}

FTD2XX_EXPORT FT_Close(FT_HANDLE handle) {
  Log("FT_Close");
  return Programmer().FT_Close(handle);
}

FTD2XX_EXPORT FT_SetBitMode(FT_HANDLE handle, UCHAR mask, UCHAR mode) {
  return Programmer().FT_SetBitMode(handle, mask, mode);
}

FTD2XX_EXPORT FT_SetBaudRate(FT_HANDLE handle, ULONG baud) {
  if (Fault(L"setup-fails")) return quarrow::FT_IO_ERROR;
  return Programmer().FT_SetBaudRate(handle, baud);
}

FTD2XX_EXPORT FT_SetTimeouts(FT_HANDLE handle, ULONG readMs, ULONG writeMs) {
  return Programmer().FT_SetTimeouts(handle, readMs, writeMs);
}

FTD2XX_EXPORT FT_ResetDevice(FT_HANDLE handle) { return Programmer().FT_ResetDevice(handle); }

FTD2XX_EXPORT FT_Write(FT_HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  if (Fault(L"short-write")) {
    *written = 0;
    return quarrow::FT_OK;
  }
  return Programmer().FT_Write(handle, data, size, reinterpret_cast<std::uint32_t*>(written));
}

#ifndef QUARROW_TEST_WITHOUT_GETBITMODE
FTD2XX_EXPORT FT_GetBitMode(FT_HANDLE handle, PUCHAR pins) {
  return Programmer().FT_GetBitMode(handle, pins);
}
#endif
