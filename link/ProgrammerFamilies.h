// SPDX-License-Identifier: GPL-3.0-or-later
// Several families' libraries as one: the list holds every family's programmers, and an open goes
// to the library that listed the programmer chosen.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ProgrammerLibrary.h"

namespace quarrow {

class ProgrammerFamilies final : public IProgrammerLibrary {
 public:
  struct Family {
    std::string name;  // kFtdiFamily ...
    std::unique_ptr<IProgrammerLibrary> library;
  };
  // The families in the order their programmers are listed. A serial typed rather than listed
  // goes to the first.
  explicit ProgrammerFamilies(std::vector<Family> families);

  // Every library's programmers; one library that cannot look does not hide the others' (when
  // nothing was found at all, the first failure is LastError and each is in ListFailures).
  std::vector<FoundProgrammer> List() override;
  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override;
  ProgrammerError LastError() const override;
  std::vector<ProgrammerError> ListFailures() const override;
  std::vector<std::string> FamiliesSought() const override;

 private:
  struct Listed {
    IProgrammerLibrary* library;
    std::string serial;
    int index;  // in its own library's last list
  };

  std::vector<Family> families_;
  mutable std::mutex mutex_;
  std::vector<Listed> listed_;
  std::vector<ProgrammerError> listFailures_;  // when the last list was empty
  IProgrammerLibrary* lastUsed_ = nullptr;
};

}  // namespace quarrow
