// SPDX-License-Identifier: GPL-3.0-or-later
// Connect's failures as sentences, from the texts in res/Texts.h.
#include "ConnectionText.h"

#include "ProgrammerErrorText.h"
#include "Texts.h"
#include "WiringText.h"

namespace quarrow {

namespace {

std::string StatusText(ProgrammerFault fault, long status) {
  const char* name = res::kStatusError;
  switch (fault) {
    case ProgrammerFault::InvalidHandle: name = res::kStatusInvalidHandle; break;
    case ProgrammerFault::NotFound: name = res::kStatusDeviceNotFound; break;
    case ProgrammerFault::NotOpened: name = res::kStatusDeviceNotOpened; break;
    case ProgrammerFault::Io: name = res::kStatusIoError; break;
    case ProgrammerFault::InvalidParameter: name = res::kStatusInvalidParameter; break;
    default: break;
  }
  return std::to_string(status) + " (" + name + ")";
}

}  // namespace

std::string ConnectFailureText(const ConnectResult& result) {
  using Failure = ConnectResult::Failure;
  if (result.pinsRefused) return PinsOnProgrammerText(*result.pinsRefused);
  if (result.pinsMissing) return PinsOnChipText(*result.pinsMissing);
  switch (result.failure) {
    case Failure::NoSerial: return res::kConnectNoSerial;
    case Failure::NulInSerial: return res::kConnectNulInSerial;
    case Failure::OpenFailed:
      if (result.error.Failed()) return ProgrammerErrorText(result.error);
      return result.fault != ProgrammerFault::None
                 ? result.call + res::kConnectCallFailed + StatusText(result.fault, result.status)
                                    : result.call + res::kConnectNoHandle;
    case Failure::SetupFailed:
      return res::kConnectSetupFailed + result.call + res::kConnectReturnedStatus + StatusText(result.fault, result.status) +
             (result.error.Failed() ? " - " + ProgrammerErrorText(result.error) : "");
    default: return ProgrammerErrorText(result.error);
  }
}

}  // namespace quarrow
