// SPDX-License-Identifier: GPL-3.0-or-later
// The programmer interface over FTDI's D2XX calls: the device list read from D2XX's records, the
// open and bit-bang set-up as D2XX wants them, the pins through FT_Write and FT_GetBitMode.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "D2xx.h"
#include "ProgrammerLibrary.h"

namespace quarrow {

class D2xxLibrary final : public IProgrammerLibrary {
 public:
  // Uses `d2xx`, which must outlive this library and every programmer it opened.
  explicit D2xxLibrary(ID2xx& d2xx) : d2xx_(d2xx) {}
  // Owns `d2xx`.
  explicit D2xxLibrary(std::unique_ptr<ID2xx> d2xx) : owned_(std::move(d2xx)), d2xx_(*owned_) {}

  std::vector<FoundProgrammer> List() override;
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;

 private:
  std::unique_ptr<ID2xx> owned_;
  ID2xx& d2xx_;
  std::mutex mutex_;
  // The D2XX record index of each programmer of the last List(): FT_Open counts every record,
  // also those of chips without bit-bang that List() leaves out.
  std::vector<int> recordIndex_;
};

}  // namespace quarrow
