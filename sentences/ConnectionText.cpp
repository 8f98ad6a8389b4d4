// SPDX-License-Identifier: GPL-3.0-or-later
// Connect's failures as sentences, from the texts in res/Texts.h.
#include "ConnectionText.h"

#include "Texts.h"
#include "WiringText.h"

namespace quarrow {

namespace {

std::string StatusText(FT_STATUS status) {
  const char* name = res::kStatusError;
  switch (status) {
    case FT_INVALID_HANDLE: name = res::kStatusInvalidHandle; break;
    case FT_DEVICE_NOT_FOUND: name = res::kStatusDeviceNotFound; break;
    case FT_DEVICE_NOT_OPENED: name = res::kStatusDeviceNotOpened; break;
    case FT_IO_ERROR: name = res::kStatusIoError; break;
    case FT_INVALID_PARAMETER: name = res::kStatusInvalidParameter; break;
    default: break;
  }
  return std::to_string(status) + " (" + name + ")";
}

}  // namespace

std::string ConnectFailureText(const ConnectResult& result) {
  using Failure = ConnectResult::Failure;
  if (result.pinsMissing) return PinsOnChipText(*result.pinsMissing);
  switch (result.failure) {
    case Failure::NoSerial: return res::kConnectNoSerial;
    case Failure::NulInSerial: return res::kConnectNulInSerial;
    case Failure::OpenFailed:
      if (!result.error.empty()) return result.error;
      return result.status != FT_OK ? result.call + res::kConnectCallFailed + StatusText(result.status)
                                    : result.call + res::kConnectNoHandle;
    case Failure::SetupFailed:
      return res::kConnectSetupFailed + result.call + res::kConnectReturnedStatus + StatusText(result.status) +
             (result.error.empty() ? "" : " - " + result.error);
    default: return result.error;
  }
}

}  // namespace quarrow
