// SPDX-License-Identifier: GPL-3.0-or-later
// The GPIO chips of a Linux board over libgpiod 1.6 (Debian 12's), which speaks the kernel's GPIO
// character-device interface: a chip is /dev/gpiochipN, its lines are requested in groups of one
// direction (a line handle), and a handle's lines are read and written together.
#include "GpioLibrary.h"

#include <dirent.h>
#include <gpiod.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace quarrow {

namespace {

constexpr const char* kSource = "libgpiod";
constexpr const char* kFamily = kGpioFamily;
constexpr const char* kDevDir = "/dev";
constexpr std::size_t kMostPins = 8;  // D0..D7

ProgrammerError Error(ProgrammerProblem problem, std::string subject, std::string words = {}) {
  return {problem, kSource, kFamily, std::move(subject), std::move(words)};
}

// The system's words for `err`, with the call that failed and the errno's name: "Device or
// resource busy (gpiod_line_request_bulk_output: EBUSY)". The untranslated text, as libusb's are.
std::string ErrnoWords(const char* call, int err) {
  const char* description = strerrordesc_np(err);
  const char* name = strerrorname_np(err);
  return std::string(description ? description : "errno " + std::to_string(err)) + " (" + call + ": " +
         (name ? name : std::to_string(err)) + ")";
}

// The kernel's answer on a chip whose device has gone (a USB GPIO board pulled out, a driver
// unbound): every call on it, and on the lines requested from it, fails with ENODEV.
bool Gone(int err) { return err == ENODEV || err == ENXIO; }

// The problem a failed open or request is, as far as the person can act on it; `other` otherwise.
ProgrammerProblem ProblemOf(int err, ProgrammerProblem other) {
  if (err == EACCES || err == EPERM) return ProgrammerProblem::PermissionDenied;
  if (err == EBUSY) return ProgrammerProblem::InUse;
  return Gone(err) ? ProgrammerProblem::Unplugged : other;
}

int IsChipEntry(const dirent* entry) { return std::strncmp(entry->d_name, "gpiochip", 8) == 0; }

// The GPIO chips' device names in /dev, gpiochip2 before gpiochip10. Whether each is a GPIO chip
// indeed libgpiod checks as it opens it. False when /dev could not be read.
bool ChipNames(std::vector<std::string>& names) {
  dirent** entries = nullptr;
  const int count = scandir(kDevDir, &entries, IsChipEntry, versionsort);
  if (count < 0) return false;
  for (int i = 0; i < count; ++i) {
    names.emplace_back(entries[i]->d_name);
    std::free(entries[i]);
  }
  std::free(entries);
  return true;
}

// A name a wiring can be written with ("clock=GPIO17"): letters, digits and "_-." only, so that it
// never runs into the text around it, and not "CHIP:OFFSET", which names lines by place.
bool Writable(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '-' || c == '.';
  });
}

// Each line's pin name: the name the board gives it where that is writable and no other line of
// the chip has it (boards name several unused lines "NC" or "-"), otherwise "gpiochip0:17".
std::vector<std::string> PinNames(gpiod_chip* chip, const std::string& chipName) {
  const unsigned count = gpiod_chip_num_lines(chip);
  std::vector<std::string> names(count);
  std::map<std::string, int> uses;
  for (unsigned offset = 0; offset < count; ++offset) {
    gpiod_line* line = gpiod_chip_get_line(chip, offset);
    const char* name = line ? gpiod_line_name(line) : nullptr;
    if (name) names[offset] = name;
    ++uses[names[offset]];
  }
  for (unsigned offset = 0; offset < count; ++offset) {
    if (!Writable(names[offset]) || uses[names[offset]] > 1) names[offset] = chipName + ":" + std::to_string(offset);
  }
  return names;
}

// The lines D0, D1, ... stand for, with their pin names: `offsets`, or lines 0..7 as far as the
// chip has them; false for a line the chip lacks, one named twice, or more than eight.
bool PickLines(gpiod_chip* chip, const std::string& chipName, std::vector<int> offsets, std::vector<gpiod_line*>& lines,
               std::vector<std::string>& names) {
  const unsigned count = gpiod_chip_num_lines(chip);
  for (unsigned offset = 0; offsets.empty() && offset < std::min<unsigned>(count, kMostPins); ++offset) {
    offsets.push_back(static_cast<int>(offset));
  }
  if (offsets.size() > kMostPins) return false;
  const std::vector<std::string> chipPins = PinNames(chip, chipName);
  for (const int offset : offsets) {
    gpiod_line* line = offset >= 0 ? gpiod_chip_get_line(chip, static_cast<unsigned>(offset)) : nullptr;
    if (line == nullptr || std::find(lines.begin(), lines.end(), line) != lines.end()) return false;
    lines.push_back(line);
    names.push_back(chipPins[static_cast<std::size_t>(offset)]);
  }
  return true;
}

// The lines of `lines` whose bits are set in `mask`, as libgpiod takes a group.
gpiod_line_bulk BulkOf(const std::vector<gpiod_line*>& lines, std::uint8_t mask) {
  gpiod_line_bulk bulk;
  gpiod_line_bulk_init(&bulk);
  for (std::size_t pin = 0; pin < lines.size(); ++pin) {
    if (mask & (1u << pin)) gpiod_line_bulk_add(&bulk, lines[pin]);
  }
  return bulk;
}

}  // namespace

GpioProgrammer::GpioProgrammer(gpiod_chip* chip, std::vector<gpiod_line*> lines, std::vector<std::string> pinNames)
    : chip_(chip), lines_(std::move(lines)), pinNames_(std::move(pinNames)) {}

// Closing the chip releases every line requested from it; the kernel keeps each line's direction
// and level, so nothing moves on the board as the tool lets go.
GpioProgrammer::~GpioProgrammer() { gpiod_chip_close(chip_); }

ProgrammerError GpioProgrammer::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

std::pair<const char*, int> GpioProgrammer::FailedCall() const {
  std::lock_guard lock(errorMutex_);
  return {failedCall_, failedErrno_};
}

bool GpioProgrammer::Record(ProgrammerError error, const char* call, int err) {
  std::lock_guard lock(errorMutex_);
  lastError_ = std::move(error);
  failedCall_ = call;
  failedErrno_ = err;
  return false;
}

bool GpioProgrammer::Fail(ProgrammerProblem problem, const char* call, int err, std::string subject) {
  return Record(Error(problem, std::move(subject), ErrnoWords(call, err)), call, err);
}

bool GpioProgrammer::FailRequest(std::uint8_t mask, const char* call, int err) {
  if (err != EBUSY) return Fail(ProblemOf(err, ProgrammerProblem::SetupFailed), call, err, call);
  // The kernel says only that a line is taken: the lines' information says which, and by whom
  // (its consumer name; empty for a holder that gave none).
  std::size_t busy = lines_.size();
  for (std::size_t pin = 0; pin < lines_.size(); ++pin) {
    if (!(mask & (1u << pin))) continue;
    if (busy == lines_.size()) busy = pin;  // the group's first line, when none shows as taken any more
    if (gpiod_line_update(lines_[pin]) == 0 && gpiod_line_is_used(lines_[pin])) {
      const char* holder = gpiod_line_consumer(lines_[pin]);
      return Record(Error(ProgrammerProblem::InUse, pinNames_[pin], holder ? holder : ""), call, err);
    }
  }
  return Record(Error(ProgrammerProblem::InUse, busy < lines_.size() ? pinNames_[busy] : ""), call, err);
}

bool GpioProgrammer::SetOutputs(std::uint8_t mask) {
  std::lock_guard lock(io_);
  if (lines_.size() < kMostPins && (mask >> lines_.size()) != 0) {
    return Fail(ProgrammerProblem::SetupFailed, "gpiod_line_request_bulk_output", EINVAL,
                "gpiod_line_request_bulk_output");
  }
  // A line keeps its handle for as long as the handle lives, so a change of directions gives both
  // groups back and asks for them anew: the outputs first and at the levels they had, so that a
  // clock or reset that stays an output is driven again at once at the level the PROM last saw.
  gpiod_line_bulk all = BulkOf(lines_, 0xFF);
  gpiod_line_release_bulk(&all);
  outputs_ = 0;
  gpiod_line_bulk outputs = BulkOf(lines_, mask);
  int levels[kMostPins] = {};
  for (unsigned i = 0, pin = 0; pin < lines_.size(); ++pin) {
    if (mask & (1u << pin)) levels[i++] = (levels_ >> pin) & 1u;
  }
  if (outputs.num_lines > 0 && gpiod_line_request_bulk_output(&outputs, kGpioConsumer, levels) != 0) {
    return FailRequest(mask, "gpiod_line_request_bulk_output", errno);
  }
  gpiod_line_bulk inputs = BulkOf(lines_, static_cast<std::uint8_t>(~mask));
  if (inputs.num_lines > 0 && gpiod_line_request_bulk_input(&inputs, kGpioConsumer) != 0) {
    const int err = errno;
    gpiod_line_release_bulk(&outputs);
    return FailRequest(static_cast<std::uint8_t>(~mask), "gpiod_line_request_bulk_input", err);
  }
  outputs_ = mask;
  return true;
}

bool GpioProgrammer::WritePins(std::uint8_t value) {
  std::lock_guard lock(io_);
  levels_ = value;
  gpiod_line_bulk outputs = BulkOf(lines_, outputs_);
  if (outputs.num_lines == 0) return true;  // nothing to drive: the bits wait for lines that become outputs
  int levels[kMostPins] = {};
  for (unsigned i = 0, pin = 0; pin < lines_.size(); ++pin) {
    if (outputs_ & (1u << pin)) levels[i++] = (value >> pin) & 1u;
  }
  if (gpiod_line_set_value_bulk(&outputs, levels) == 0) return true;
  const int err = errno;
  return Fail(Gone(err) ? ProgrammerProblem::Unplugged : ProgrammerProblem::PinWriteFailed, "gpiod_line_set_value_bulk",
              err);
}

// Each group is read with one call; the levels of pins the chip lacks read low.
bool GpioProgrammer::ReadPins(std::uint8_t& value) {
  std::lock_guard lock(io_);
  std::uint8_t levels = 0;
  for (const std::uint8_t mask : {outputs_, static_cast<std::uint8_t>(~outputs_)}) {
    gpiod_line_bulk group = BulkOf(lines_, mask);
    if (group.num_lines == 0) continue;
    int read[kMostPins] = {};
    if (gpiod_line_get_value_bulk(&group, read) != 0) {
      const int err = errno;
      // Without every level the byte is unknown; no level is made up.
      return Fail(Gone(err) ? ProgrammerProblem::Unplugged : ProgrammerProblem::PinReadFailed,
                  "gpiod_line_get_value_bulk", err);
    }
    for (unsigned i = 0, pin = 0; pin < lines_.size(); ++pin) {
      if ((mask & (1u << pin)) && read[i++]) levels |= static_cast<std::uint8_t>(1u << pin);
    }
  }
  value = levels;
  return true;
}

ProgrammerError GpioLibrary::LastError() const { return listed_.LastError(); }

// A chip that may not be opened is left out and named in LastError; one that is no GPIO chip after
// all (another driver's gpiochip-named node) is left out silently.
std::vector<FoundProgrammer> GpioLibrary::List() {
  std::vector<std::string> names;
  ProgrammerError error;
  if (!ChipNames(names)) error = Error(ProgrammerProblem::ListFailed, "", ErrnoWords("scandir", errno));
  std::vector<FoundProgrammer> programmers;
  for (const std::string& name : names) {
    gpiod_chip* chip = gpiod_chip_open_by_name(name.c_str());
    if (chip == nullptr) {
      if (errno == EACCES || errno == EPERM) {
        error = Error(ProgrammerProblem::PermissionDenied, std::string(kDevDir) + "/" + name,
                      ErrnoWords("gpiod_chip_open", errno));
      }
      continue;
    }
    FoundProgrammer found;
    found.family = kFamily;
    found.model = gpiod_chip_label(chip);
    found.serial = name;
    found.description = std::to_string(gpiod_chip_num_lines(chip)) + " GPIO lines";
    found.pinNames = PinNames(chip, name);
    gpiod_chip_close(chip);
    programmers.push_back(std::move(found));
  }
  std::vector<std::string> serials;
  for (const FoundProgrammer& found : programmers) serials.push_back(found.serial);
  listed_.Listed(std::move(serials), error);
  return programmers;
}

OpenedProgrammer GpioLibrary::Open(const ProgrammerChoice& choice, std::uint8_t outputs) {
  const std::string name = listed_.SerialOf(choice);
  const ProgrammerError absent = ListedProgrammers::Absent(choice, kSource, kFamily);
  // Only a chip /dev has now is opened: a typed serial ("../something") never becomes a path.
  std::vector<std::string> names;
  ChipNames(names);
  if (name.empty() || std::find(names.begin(), names.end(), name) == names.end()) {
    return listed_.Fail(absent, "scandir", ProgrammerFault::NotFound, 0);
  }
  gpiod_chip* chip = gpiod_chip_open_by_name(name.c_str());
  if (chip == nullptr) {
    const int err = errno;
    const ProgrammerProblem problem = ProblemOf(err, ProgrammerProblem::CannotOpen);
    ProgrammerError error = Error(problem, problem == ProgrammerProblem::PermissionDenied ? std::string(kDevDir) + "/" + name : "",
                                  ErrnoWords("gpiod_chip_open", err));
    if (err == ENOENT || problem == ProgrammerProblem::Unplugged) error = absent;
    return listed_.Fail(error, "gpiod_chip_open", ProgrammerFault::NotOpened, err);
  }

  std::vector<gpiod_line*> lines;
  std::vector<std::string> pinNames;
  if (!PickLines(chip, name, choice.lines, lines, pinNames)) {
    gpiod_chip_close(chip);
    return listed_.Fail(Error(ProgrammerProblem::SetupFailed, "gpiod_chip_get_line", ErrnoWords("gpiod_chip_get_line", EINVAL)),
                        "gpiod_chip_get_line", ProgrammerFault::InvalidParameter, EINVAL);
  }
  auto programmer = std::make_unique<GpioProgrammer>(chip, std::move(lines), std::move(pinNames));
  if (!programmer->SetOutputs(outputs)) {
    // The lines are what the tool takes of the chip: not getting them is not getting the programmer.
    const auto [call, err] = programmer->FailedCall();
    return listed_.Fail(programmer->LastError(), call, err == EBUSY ? ProgrammerFault::NotOpened : ProgrammerFault::Io,
                        err);  // the chip closes again as the programmer goes
  }
  listed_.Record({});
  OpenedProgrammer opened;
  opened.programmer = std::move(programmer);
  return opened;
}

}  // namespace quarrow
