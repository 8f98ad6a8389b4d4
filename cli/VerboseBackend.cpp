// SPDX-License-Identifier: GPL-3.0-or-later
// The library's steps, one line each: "quarrow-cli: open "A12BC3DE", outputs 0x03 -> ok", followed by
// what the library said about a failure.
#include "VerboseBackend.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>

#include "PrintableText.h"
#include "ProgrammerErrorText.h"
#include "Texts.h"

namespace quarrow::cli {

namespace {

std::string Hex(unsigned value) {
  std::ostringstream text;
  text << "0x" << std::hex << value;
  return text.str();
}

// "quarrow-cli: STEP -> ok|failed[, DETAIL][: the library's words]".
void Step(std::ostream& log, const std::string& step, bool ok, const std::string& detail = {},
          const std::string& words = {}) {
  log << res::kProgramName << ": " << step << " -> " << (ok ? "ok" : "failed");
  if (!detail.empty()) log << ", " << detail;
  if (!words.empty()) log << ": " << PrintableText(words);
  log << '\n' << std::flush;
}

class LoggingProgrammer final : public IOpenProgrammer {
 public:
  LoggingProgrammer(std::unique_ptr<IOpenProgrammer> programmer, std::ostream& log)
      : programmer_(std::move(programmer)), log_(log) {}
  ~LoggingProgrammer() override {
    programmer_.reset();
    Step(log_, "close", true);
  }
  LoggingProgrammer(const LoggingProgrammer&) = delete;
  LoggingProgrammer& operator=(const LoggingProgrammer&) = delete;

  bool SetOutputs(std::uint8_t mask) override {
    const bool ok = programmer_->SetOutputs(mask);
    Step(log_, "outputs " + Hex(mask), ok, {}, ok ? std::string() : ProgrammerErrorText(programmer_->LastError()));
    return ok;
  }
  bool WritePins(std::uint8_t value) override {
    const bool ok = programmer_->WritePins(value);
    if (!ok) Step(log_, "write pins " + Hex(value), ok, {}, ProgrammerErrorText(programmer_->LastError()));
    return ok;
  }
  bool ReadPins(std::uint8_t& value) override {
    const bool ok = programmer_->ReadPins(value);
    if (!ok) Step(log_, "read pins", ok, {}, ProgrammerErrorText(programmer_->LastError()));
    return ok;
  }
  // Passed on whole, so that the programmer still takes the reads and the write in one exchange.
  bool ReadThenWrite(std::span<std::optional<std::uint8_t>> levels, std::uint8_t value) override {
    const bool ok = programmer_->ReadThenWrite(levels, value);
    const bool readsOk = std::all_of(levels.begin(), levels.end(), [](const auto& level) { return level.has_value(); });
    if (!readsOk) Step(log_, "read pins", false, {}, ProgrammerErrorText(programmer_->LastError()));
    if (!ok) Step(log_, "write pins " + Hex(value), ok, {}, ProgrammerErrorText(programmer_->LastError()));
    return ok;
  }
  bool ExchangesReadsWithWrite() const override { return programmer_->ExchangesReadsWithWrite(); }
  ProgrammerError LastError() const override { return programmer_->LastError(); }

 private:
  std::unique_ptr<IOpenProgrammer> programmer_;
  std::ostream& log_;
};

class LoggingLibrary final : public IProgrammerLibrary {
 public:
  LoggingLibrary(std::unique_ptr<IProgrammerLibrary> library, std::ostream& log)
      : library_(std::move(library)), log_(log) {}

  std::vector<FoundProgrammer> List() override {
    std::vector<FoundProgrammer> found = library_->List();
    Step(log_, "list", true, std::to_string(found.size()) + " programmers",
         found.empty() ? ProgrammerErrorText(library_->LastError()) : std::string());
    for (std::size_t k = 0; k < found.size(); ++k) {
      const FoundProgrammer& p = found[k];
      // The strings come from the devices themselves.
      log_ << res::kProgramName << ":   programmer " << k << ": " << PrintableText(p.family) << ' '
           << (p.chip ? std::string(FactsOf(*p.chip).name) : p.model.empty() ? "?" : PrintableText(p.model)) << " port " << PortLetter(p.port) << ", serial \""
           << PrintableText(p.serial) << "\", \"" << PrintableText(p.description) << "\"\n";
    }
    return found;
  }

  OpenedProgrammer Open(const ProgrammerChoice& choice, std::uint8_t outputs) override {
    OpenedProgrammer opened = library_->Open(choice, outputs);
    const std::string which = choice.serial.empty() ? "programmer " + std::to_string(choice.index)
                                                    : "\"" + PrintableText(choice.serial) + "\"";
    const ProgrammerFailure& failure = opened.failure;
    Step(log_, "open " + which + ", outputs " + Hex(outputs), opened.programmer != nullptr,
         opened.programmer ? std::string()
                           : PrintableText(failure.step) + " returned " + std::to_string(failure.status),
         ProgrammerErrorText(failure.error));
    if (opened.programmer) opened.programmer = std::make_unique<LoggingProgrammer>(std::move(opened.programmer), log_);
    return opened;
  }

  ProgrammerError LastError() const override { return library_->LastError(); }
  std::vector<ProgrammerError> ListFailures() const override { return library_->ListFailures(); }
  std::vector<std::string> FamiliesSought() const override { return library_->FamiliesSought(); }

 private:
  std::unique_ptr<IProgrammerLibrary> library_;
  std::ostream& log_;
};

}  // namespace

std::unique_ptr<IProgrammerLibrary> LoggingBackend(std::unique_ptr<IProgrammerLibrary> library,
                                                   std::ostream& log) {
  return std::make_unique<LoggingLibrary>(std::move(library), log);
}

}  // namespace quarrow::cli
