// SPDX-License-Identifier: GPL-3.0-or-later
// The wiring file: where it lives, its text, and its safe read and write.
#include "WiringFile.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <system_error>
#include <utility>

#include "ImageFile.h"
#include "PrintableText.h"

namespace quarrow {

namespace {

// Far more than any person's programmers need; a bigger file is not one of ours.
constexpr std::size_t kMaxFileSize = 1 << 20;

constexpr std::string_view kHeader =
    "# The wiring of each programmer, read and written by quarrow and quarrow-cli, which rewrite\n"
    "# the file whole (other comments are not kept). [default] holds the wiring of every programmer\n"
    "# without a [serial SERIAL] section of its own; pins as quarrow-cli --pins takes them.\n";
constexpr std::string_view kSerialSection = "[serial ";
constexpr std::string_view kDefaultSection = "[default]";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One section while it is read: where it starts, and what it has said so far.
struct Section {
  std::size_t line = 0;
  std::string name;  // "[default]" or "[serial X]", for errors
  std::optional<std::string> serial;  // nothing for [default]
  std::optional<PinAssignment> pins;
  std::optional<bool> invertData;
};

class Parser {
 public:
  Parser(const std::string& fileName, StoredWirings& wirings, WiringFileProblem& problem)
      : fileName_(fileName), wirings_(wirings), problem_(problem) {}

  bool Line(std::size_t number, std::string_view text) {
    number_ = number;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);  // a file saved on Windows
    const std::string_view line = Trimmed(text);
    if (line.empty() || line.front() == '#') return true;
    if (line.front() == '[') return StartSection(line);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail(Kind::NotALine, line);
    if (!section_) return Fail(Kind::SettingOutsideSection);
    return Setting(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
  }

  bool End() { return EndSection(); }

 private:
  using Kind = WiringFileProblem::Kind;

  bool Fail(Kind kind, std::string_view written = {}, std::string_view section = {}) {
    problem_.kind = kind;
    problem_.file = fileName_;
    problem_.line = number_;
    problem_.written = std::string(written);
    problem_.section = std::string(section);
    return false;
  }

  bool Twice(std::string_view section, std::size_t firstLine) {
    problem_.firstLine = firstLine;
    return Fail(Kind::SectionTwice, {}, section);
  }

  bool StartSection(std::string_view line) {
    if (!EndSection()) return false;
    Section section;
    section.line = number_;
    section.name = std::string(line);
    if (line == kDefaultSection) {
      if (wirings_.forAll || defaultLine_ != 0) return Twice(kDefaultSection, defaultLine_);
      defaultLine_ = number_;
    } else if (line.starts_with(kSerialSection) && line.back() == ']') {
      // Spaces inside the brackets belong to the serial, which may hold any character.
      const std::string serial =
          SerialSpelling(line.substr(kSerialSection.size(), line.size() - kSerialSection.size() - 1));
      if (serial.empty()) return Fail(Kind::NoSerial);
      if (const auto seen = serialLines_.find(serial); seen != serialLines_.end()) {
        return Twice(std::string(kSerialSection) + serial + "]", seen->second);
      }
      serialLines_[serial] = number_;
      section.serial = serial;
    } else {
      return Fail(Kind::NotASection, line);
    }
    section_ = std::move(section);
    return true;
  }

  bool Setting(std::string_view name, std::string_view value) {
    if (name == "pins") {
      if (section_->pins) return Fail(Kind::SettingTwice, name, section_->name);
      const PinAssignmentParse parse = ParsePinAssignment(value);
      if (!parse.assignment) {
        problem_.pins = parse.problem;
        return Fail(Kind::BadPins);
      }
      section_->pins = parse.assignment;
    } else if (name == "invert-data") {
      if (section_->invertData) return Fail(Kind::SettingTwice, name, section_->name);
      if (value != "yes" && value != "no") return Fail(Kind::BadInvertData, value);
      section_->invertData = value == "yes";
    } else {
      return Fail(Kind::UnknownSetting, name);
    }
    return true;
  }

  bool EndSection() {
    if (!section_) return true;
    Section section = std::move(*section_);
    section_.reset();
    if (!section.pins) {
      number_ = section.line;
      return Fail(Kind::NoPins, {}, section.name);
    }
    PinAssignment pins = *section.pins;
    pins.invertData = section.invertData.value_or(false);
    if (section.serial) {
      wirings_.bySerial[*section.serial] = pins;
    } else {
      wirings_.forAll = pins;
    }
    return true;
  }

  const std::string& fileName_;
  StoredWirings& wirings_;
  WiringFileProblem& problem_;
  std::size_t number_ = 0;
  std::optional<Section> section_;
  std::size_t defaultLine_ = 0;
  std::map<std::string, std::size_t> serialLines_;
};

void AppendSection(std::string& text, const std::string& heading, const PinAssignment& pins) {
  text += "\n" + heading + "\npins = " + pins.Text() + "\n";
  if (pins.invertData) text += "invert-data = yes\n";
}

}  // namespace

std::optional<PinAssignment> StoredWirings::For(const std::string& serial) const {
  if (std::optional<PinAssignment> own = Own(serial)) return own;
  return forAll;
}

std::optional<PinAssignment> StoredWirings::Own(const std::string& serial) const {
  if (serial.empty()) return forAll;
  if (const auto own = bySerial.find(SerialSpelling(serial)); own != bySerial.end()) return own->second;
  return std::nullopt;
}

void StoredWirings::Store(const std::string& serial, const PinAssignment& pins) {
  if (serial.empty()) {
    forAll = pins;
  } else {
    bySerial[SerialSpelling(serial)] = pins;
  }
}

bool StoredWirings::Forget(const std::string& serial) {
  if (serial.empty()) return std::exchange(forAll, std::nullopt).has_value();
  return bySerial.erase(SerialSpelling(serial)) > 0;
}

std::string SerialSpelling(std::string_view serial) { return PrintableText(serial); }

std::filesystem::path WiringFileLocation(WiringFileProblem& problem) {
#ifdef _WIN32
  // The roaming application data folder, as the person's other programs keep their settings.
  const wchar_t* appData = ::_wgetenv(L"APPDATA");
  if (appData != nullptr && *appData != L'\0') return std::filesystem::path(appData) / L"Quarrow" / L"wiring.conf";
  problem = {};
  return {};
#else
  // The XDG base directory rules: a relative $XDG_CONFIG_HOME is to be ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::filesystem::path(config) / "quarrow" / "wiring.conf";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / ".config" / "quarrow" / "wiring.conf";
  problem = {};
  return {};
#endif
}

bool ParseWirings(std::string_view text, const std::string& fileName, StoredWirings& wirings,
                  WiringFileProblem& problem) {
  StoredWirings read;
  problem = {};
  Parser parser(fileName, read, problem);
  std::size_t number = 1;
  for (std::size_t start = 0; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (!parser.Line(number, text.substr(start, end - start))) return false;
    start = end + 1;
  }
  if (!parser.End()) return false;
  wirings = std::move(read);
  return true;
}

std::string FormatWirings(const StoredWirings& wirings) {
  std::string text(kHeader);
  if (wirings.forAll) AppendSection(text, std::string(kDefaultSection), *wirings.forAll);
  for (const auto& [serial, pins] : wirings.bySerial) {
    AppendSection(text, std::string(kSerialSection) + serial + "]", pins);
  }
  return text;
}

namespace {

bool FileProblem(WiringFileProblem::Kind kind, std::string file, std::string reason, WiringFileProblem& problem) {
  problem = {};
  problem.kind = kind;
  problem.file = std::move(file);
  problem.reason = std::move(reason);
  return false;
}

}  // namespace

bool LoadWirings(const std::filesystem::path& file, StoredWirings& wirings, WiringFileProblem& problem) {
  using Kind = WiringFileProblem::Kind;
  const std::string name = PrintablePath(file);
  std::error_code ignored;  // any other trouble is the read's to report
  if (std::filesystem::symlink_status(file, ignored).type() == std::filesystem::file_type::not_found) {
    wirings = {};
    return true;
  }
  std::string text;
  const FileStatus read = ReadRegularFileStart(file, kMaxFileSize + 1, "a wiring file", text);
  if (!read) return FileProblem(Kind::CantRead, name, read.reason, problem);
  if (text.size() > kMaxFileSize) return FileProblem(Kind::TooLarge, name, {}, problem);
  return ParseWirings(text, name, wirings, problem);
}

bool SaveWirings(const std::filesystem::path& file, const StoredWirings& wirings, WiringFileProblem& problem) {
  using Kind = WiringFileProblem::Kind;
  std::error_code made;
  std::filesystem::create_directories(file.parent_path(), made);
  if (made) return FileProblem(Kind::CantWrite, PrintablePath(file.parent_path()), made.message(), problem);
  const std::string text = FormatWirings(wirings);
  const FileStatus saved =
      SaveFileBytes(file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  if (!saved) return FileProblem(Kind::CantWrite, PrintablePath(file), saved.reason, problem);
  return true;
}

}  // namespace quarrow
