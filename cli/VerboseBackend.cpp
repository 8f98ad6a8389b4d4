// SPDX-License-Identifier: GPL-3.0-or-later
// The back end's steps, one line each: "quarrow-cli: FT_OpenEx("A12BC3DE") -> 0 (ok)", followed by
// what the back end said about a failure.
#include "VerboseBackend.h"

#include <sstream>
#include <string>
#include <utility>

#include "Texts.h"
#include "PrintableText.h"

namespace quarrow::cli {

namespace {

class LoggingD2xx final : public ID2xx {
 public:
  LoggingD2xx(std::unique_ptr<ID2xx> backend, std::ostream& log)
      : backend_(std::move(backend)), log_(log) {}

  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override {
    const FT_STATUS status = backend_->FT_CreateDeviceInfoList(count);
    Step("FT_CreateDeviceInfoList()", status, status == FT_OK ? Count(*count) : std::string());
    return status;
  }
  FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count) override {
    const FT_STATUS status = backend_->FT_GetDeviceInfoList(list, count);
    Step("FT_GetDeviceInfoList()", status, status == FT_OK ? Count(*count) : std::string());
    for (std::uint32_t k = 0; status == FT_OK && k < *count; ++k) {
      // The strings come from the devices themselves.
      log_ << res::kProgramName << ":   device " << k << ": type " << list[k].Type << ", id "
           << Hex(list[k].ID) << ", serial \"" << PrintableText(DeviceFieldText(list[k].SerialNumber))
           << "\", \"" << PrintableText(DeviceFieldText(list[k].Description)) << "\"\n";
    }
    return status;
  }
  FT_STATUS FT_OpenEx(const char* serial, std::uint32_t flags, FT_HANDLE* handle) override {
    const FT_STATUS status = backend_->FT_OpenEx(serial, flags, handle);
    Step("FT_OpenEx(\"" + PrintableText(serial != nullptr ? serial : "") + "\")", status);
    return status;
  }
  FT_STATUS FT_Open(int index, FT_HANDLE* handle) override {
    const FT_STATUS status = backend_->FT_Open(index, handle);
    Step("FT_Open(" + std::to_string(index) + ")", status);
    return status;
  }
  FT_STATUS FT_Close(FT_HANDLE handle) override {
    const FT_STATUS status = backend_->FT_Close(handle);
    Step("FT_Close()", status);
    return status;
  }
  FT_STATUS FT_SetBitMode(FT_HANDLE handle, std::uint8_t mask, std::uint8_t mode) override {
    const FT_STATUS status = backend_->FT_SetBitMode(handle, mask, mode);
    Step("FT_SetBitMode(mask " + Hex(mask) + ", mode " + std::to_string(mode) + ")", status);
    return status;
  }
  FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud) override {
    const FT_STATUS status = backend_->FT_SetBaudRate(handle, baud);
    Step("FT_SetBaudRate(" + std::to_string(baud) + ")", status);
    return status;
  }
  FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readMs, std::uint32_t writeMs) override {
    const FT_STATUS status = backend_->FT_SetTimeouts(handle, readMs, writeMs);
    Step("FT_SetTimeouts(" + std::to_string(readMs) + " ms, " + std::to_string(writeMs) + " ms)",
         status);
    return status;
  }
  FT_STATUS FT_ResetDevice(FT_HANDLE handle) override {
    const FT_STATUS status = backend_->FT_ResetDevice(handle);
    Step("FT_ResetDevice()", status);
    return status;
  }
  FT_STATUS FT_Write(FT_HANDLE handle, const void* data, std::uint32_t size,
                     std::uint32_t* written) override {
    const FT_STATUS status = backend_->FT_Write(handle, data, size, written);
    if (status != FT_OK) Step("FT_Write(" + std::to_string(size) + " bytes)", status);
    return status;
  }
  FT_STATUS FT_GetBitMode(FT_HANDLE handle, std::uint8_t* pins) override {
    const FT_STATUS status = backend_->FT_GetBitMode(handle, pins);
    if (status != FT_OK) Step("FT_GetBitMode()", status);
    return status;
  }
  std::string LastErrorText() const override { return backend_->LastErrorText(); }

 private:
  static std::string Count(std::uint32_t count) { return std::to_string(count) + " devices"; }
  template <typename Number>
  static std::string Hex(Number value) {
    std::ostringstream text;
    text << "0x" << std::hex << static_cast<unsigned long>(value);
    return text.str();
  }

  // "quarrow-cli: STEP -> STATUS (ok|failed)[, DETAIL][: the back end's words]".
  void Step(const std::string& step, FT_STATUS status, const std::string& detail = {}) {
    log_ << res::kProgramName << ": " << step << " -> " << status << (status == FT_OK ? " (ok)" : " (failed)");
    if (!detail.empty()) log_ << ", " << detail;
    const std::string words = status == FT_OK ? std::string() : backend_->LastErrorText();
    if (!words.empty()) log_ << ": " << PrintableText(words);
    log_ << '\n' << std::flush;
  }

  std::unique_ptr<ID2xx> backend_;
  std::ostream& log_;
};

}  // namespace

std::unique_ptr<ID2xx> LoggingBackend(std::unique_ptr<ID2xx> backend, std::ostream& log) {
  return std::make_unique<LoggingD2xx>(std::move(backend), log);
}

}  // namespace quarrow::cli
