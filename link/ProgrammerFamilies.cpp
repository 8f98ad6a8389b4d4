// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgrammerFamilies.h"

namespace quarrow {

ProgrammerFamilies::ProgrammerFamilies(std::vector<Family> families) : families_(std::move(families)) {}

std::vector<FoundProgrammer> ProgrammerFamilies::List() {
  std::vector<FoundProgrammer> all;
  std::vector<Listed> listed;
  IProgrammerLibrary* failed = nullptr;
  std::vector<ProgrammerError> failures;
  for (Family& family : families_) {
    std::vector<FoundProgrammer> found = family.library->List();
    if (found.empty()) {
      for (ProgrammerError& failure : family.library->ListFailures()) failures.push_back(std::move(failure));
      if (failed == nullptr && family.library->LastError().Failed()) failed = family.library.get();
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
      listed.push_back({family.library.get(), found[i].serial, static_cast<int>(i)});
      all.push_back(std::move(found[i]));
    }
  }
  std::lock_guard lock(mutex_);
  listed_ = std::move(listed);
  lastUsed_ = all.empty() ? failed : nullptr;
  if (!all.empty()) failures.clear();
  listFailures_ = std::move(failures);
  return all;
}

OpenedProgrammer ProgrammerFamilies::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  // A programmer not in the last list (a serial typed, or one unplugged since) goes to its
  // family's library, which says it is not there; with no family named, to the first.
  IProgrammerLibrary* library = families_.empty() ? nullptr : families_.front().library.get();
  for (Family& family : families_)
    if (family.name == choice.family) library = family.library.get();
  ProgrammerChoice own = choice;
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < listed_.size(); ++i) {
      const Listed& l = listed_[i];
      const bool hit = choice.serial.empty() ? static_cast<int>(i) == choice.index : l.serial == choice.serial;
      const bool sameFamily = choice.family.empty() || l.library == library;
      if (hit && sameFamily) {
        library = l.library;
        own.index = l.index;
        break;
      }
    }
    lastUsed_ = library;
  }
  if (library == nullptr)
    return FailedOpen({ProgrammerProblem::NoSuchSerial, "", choice.family, choice.serial, ""}, "open",
                      ProgrammerFault::NotFound, 0);
  return library->Open(own, outputs);
}

ProgrammerError ProgrammerFamilies::LastError() const {
  std::lock_guard lock(mutex_);
  return lastUsed_ != nullptr ? lastUsed_->LastError() : ProgrammerError{};
}

std::vector<ProgrammerError> ProgrammerFamilies::ListFailures() const {
  std::lock_guard lock(mutex_);
  return listFailures_;
}

std::vector<std::string> ProgrammerFamilies::FamiliesSought() const {
  std::vector<std::string> names;
  for (const Family& family : families_) names.push_back(family.name);
  return names;
}

}  // namespace quarrow
