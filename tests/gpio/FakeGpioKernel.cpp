// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated chips answer as drivers/gpio/gpiolib-cdev.c does: a line another request holds is
// EBUSY, an offset past the chip EINVAL, a value written to an input EPERM, and once a chip's
// device has gone every call on its file and on the line handles taken from it is ENODEV. Each
// open chip and each line handle is a real file descriptor (an empty memfd), so descriptor numbers
// never clash with the process's own files.
#undef _FORTIFY_SOURCE  // its inline open() would stand in the way of the one below
#include "FakeGpioKernel.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/gpio.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "sim/SimulatedRp5h01.h"

namespace quarrow::test {
namespace {

constexpr unsigned kGpioMajor = 254;

struct Line {
  std::string name;
  std::string consumer;  // of whoever holds it
  bool held = false;
  bool output = false;
  bool level = false;
};

struct Chip {
  GpioChipSpec spec;
  std::vector<Line> lines;
  SimulatedRp5h01 prom;
  bool gone = false;
  int reads = 0;
  std::set<int> everOutputs;
};

struct Handle {
  int chip = 0;
  std::vector<int> lines;
  bool output = false;
};

struct Kernel {
  std::mutex mutex;
  bool active = false;
  std::vector<Chip> chips;
  std::map<int, int> chipFiles;  // open /dev/gpiochipN files: fd -> N
  std::map<int, Handle> handles;
};

// Never destroyed: a close() after the program's static objects have gone still looks here.
Kernel& TheKernel() {
  static Kernel* kernel = new Kernel;
  return *kernel;
}

// The C library's function (or a sanitizer's in front of it) that the one here stands before.
template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Whether `path` is one of the emulated files, "/dev/gpiochip3" with prefix "/dev/gpiochip": while
// the kernel is active they are all its own, so `chip` is null for one it does not have (any more).
bool Emulated(Kernel& k, const char* path, const char* prefix, const char* suffix, Chip*& chip) {
  const std::size_t n = std::strlen(prefix);
  chip = nullptr;
  if (!k.active || path == nullptr || std::strncmp(path, prefix, n) != 0) return false;
  char* end = nullptr;
  const long number = std::strtol(path + n, &end, 10);
  if (end == path + n || std::strcmp(end, suffix) != 0) return false;
  if (number >= 0 && number < static_cast<long>(k.chips.size()) && !k.chips[static_cast<std::size_t>(number)].gone)
    chip = &k.chips[static_cast<std::size_t>(number)];
  return true;
}
bool DeviceFile(Kernel& k, const char* path, Chip*& chip) { return Emulated(k, path, "/dev/gpiochip", "", chip); }
bool SysfsDev(Kernel& k, const char* path, Chip*& chip) {
  return Emulated(k, path, "/sys/bus/gpio/devices/gpiochip", "/dev", chip);
}
int Number(const Kernel& k, const Chip& chip) { return static_cast<int>(&chip - k.chips.data()); }

int Fail(int err) {
  errno = err;
  return -1;
}

// A pin the chip drives has the level written; the PROM drives its data line; others read low.
bool LevelOf(const Chip& chip, int line) {
  const Line& l = chip.lines[static_cast<std::size_t>(line)];
  if (l.output) return l.level;
  return line == chip.spec.data && chip.prom.Data();
}

void Settle(Chip& chip) {
  if (chip.spec.clock < 0) return;
  chip.prom.SetInputs(LevelOf(chip, chip.spec.clock), LevelOf(chip, chip.spec.reset));
}

int ChipIoctl(Kernel& k, Chip& chip, unsigned long request, void* arg) {
  if (chip.gone) return Fail(ENODEV);
  if (request == GPIO_GET_CHIPINFO_IOCTL) {
    auto* info = static_cast<gpiochip_info*>(arg);
    std::snprintf(info->name, sizeof info->name, "gpiochip%d", Number(k, chip));
    std::snprintf(info->label, sizeof info->label, "%s", chip.spec.label.c_str());
    info->lines = static_cast<__u32>(chip.lines.size());
    return 0;
  }
  if (request == GPIO_GET_LINEINFO_IOCTL) {
    auto* info = static_cast<gpioline_info*>(arg);
    if (info->line_offset >= chip.lines.size()) return Fail(EINVAL);
    const Line& line = chip.lines[info->line_offset];
    info->flags = (line.held ? GPIOLINE_FLAG_KERNEL : 0) | (line.output ? GPIOLINE_FLAG_IS_OUT : 0);
    std::snprintf(info->name, sizeof info->name, "%s", line.name.c_str());
    std::snprintf(info->consumer, sizeof info->consumer, "%s", line.consumer.c_str());
    return 0;
  }
  if (request != GPIO_GET_LINEHANDLE_IOCTL) return Fail(EINVAL);
  auto* req = static_cast<gpiohandle_request*>(arg);
  if (req->lines == 0 || req->lines > GPIOHANDLES_MAX) return Fail(EINVAL);
  Handle handle{Number(k, chip), {}, (req->flags & GPIOHANDLE_REQUEST_OUTPUT) != 0};
  for (__u32 i = 0; i < req->lines; ++i) {
    if (req->lineoffsets[i] >= chip.lines.size()) return Fail(EINVAL);
    if (chip.lines[req->lineoffsets[i]].held) return Fail(EBUSY);
    handle.lines.push_back(static_cast<int>(req->lineoffsets[i]));
  }
  for (std::size_t i = 0; i < handle.lines.size(); ++i) {
    Line& line = chip.lines[static_cast<std::size_t>(handle.lines[i])];
    line = {line.name, req->consumer_label, true, handle.output, handle.output ? req->default_values[i] != 0 : false};
    if (handle.output) chip.everOutputs.insert(handle.lines[i]);
  }
  Settle(chip);
  req->fd = memfd_create("gpio-linehandle", MFD_CLOEXEC);
  k.handles[req->fd] = handle;
  return 0;
}

int HandleIoctl(Kernel& k, const Handle& handle, unsigned long request, void* arg) {
  Chip& chip = k.chips[static_cast<std::size_t>(handle.chip)];
  if (chip.gone) return Fail(ENODEV);
  auto* data = static_cast<gpiohandle_data*>(arg);
  if (request == GPIOHANDLE_GET_LINE_VALUES_IOCTL) {
    if (chip.reads++ == chip.spec.goneAtRead) {
      chip.gone = true;
      return Fail(ENODEV);
    }
    for (std::size_t i = 0; i < handle.lines.size(); ++i) data->values[i] = LevelOf(chip, handle.lines[i]);
    return 0;
  }
  if (request != GPIOHANDLE_SET_LINE_VALUES_IOCTL) return Fail(EINVAL);
  if (!handle.output) return Fail(EPERM);
  for (std::size_t i = 0; i < handle.lines.size(); ++i) {
    chip.lines[static_cast<std::size_t>(handle.lines[i])].level = data->values[i] != 0;
  }
  Settle(chip);
  return 0;
}

int FakeStat(const char* path, struct stat* buf, int (*real)(const char*, struct stat*)) {
  Kernel& k = TheKernel();
  {
    std::lock_guard lock(k.mutex);
    if (Chip* chip = nullptr; DeviceFile(k, path, chip)) {
      if (chip == nullptr) return Fail(ENOENT);
      *buf = {};
      buf->st_mode = S_IFCHR | 0660;
      buf->st_rdev = makedev(kGpioMajor, static_cast<unsigned>(Number(k, *chip)));
      return 0;
    }
  }
  return real(path, buf);
}

}  // namespace

GpioChipSpec RaspberryPiWithProm(const PromImage& prom) {
  GpioChipSpec spec;
  spec.label = "pinctrl-bcm2711";
  for (int i = 0; i < 54; ++i) spec.lineNames.push_back("GPIO" + std::to_string(i));
  spec.clock = 17;
  spec.reset = 27;
  spec.data = 22;
  spec.prom = prom;
  return spec;
}

FakeGpioKernel::FakeGpioKernel() {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  k.active = true;
}

FakeGpioKernel::~FakeGpioKernel() {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  k.active = false;
  k.chips.clear();
  k.chipFiles.clear();
  k.handles.clear();
}

int FakeGpioKernel::Add(GpioChipSpec spec) {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  Chip chip;
  for (std::size_t i = 0; i < spec.lineNames.size(); ++i) {
    const auto held = spec.heldBy.find(static_cast<int>(i));
    chip.lines.push_back({spec.lineNames[i], held == spec.heldBy.end() ? "" : held->second,
                          held != spec.heldBy.end(), false, false});
  }
  chip.prom.SetBits(spec.prom);
  chip.spec = std::move(spec);
  k.chips.push_back(std::move(chip));
  return static_cast<int>(k.chips.size()) - 1;
}

std::set<int> FakeGpioKernel::EverOutputs(int chip) const {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  return k.chips.at(static_cast<std::size_t>(chip)).everOutputs;
}

std::set<int> FakeGpioKernel::Requested(int chip) const {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  std::set<int> lines;
  for (const auto& [fd, handle] : k.handles) {
    if (handle.chip == chip) lines.insert(handle.lines.begin(), handle.lines.end());
  }
  return lines;
}

bool FakeGpioKernel::Level(int chip, int line) const {
  Kernel& k = TheKernel();
  std::lock_guard lock(k.mutex);
  return LevelOf(k.chips.at(static_cast<std::size_t>(chip)), line);
}

}  // namespace quarrow::test

using quarrow::test::Kernel;
using quarrow::test::TheKernel;

extern "C" {

int open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  Kernel& k = TheKernel();
  {
    std::lock_guard lock(k.mutex);
    quarrow::test::Chip* chip = nullptr;
    if (quarrow::test::DeviceFile(k, path, chip)) {
      if (chip == nullptr) return quarrow::test::Fail(ENOENT);
      if (!chip->spec.mayOpen) return quarrow::test::Fail(EACCES);
      const int fd = memfd_create("gpiochip", MFD_CLOEXEC);
      k.chipFiles[fd] = quarrow::test::Number(k, *chip);
      return fd;
    }
    // The sysfs attribute libgpiod checks the device's numbers against.
    if (quarrow::test::SysfsDev(k, path, chip)) {
      if (chip == nullptr) return quarrow::test::Fail(ENOENT);
      const int fd = memfd_create("dev", MFD_CLOEXEC);
      const std::string dev = std::to_string(quarrow::test::kGpioMajor) + ":" +
                              std::to_string(quarrow::test::Number(k, *chip)) + "\n";
      if (write(fd, dev.data(), dev.size()) != static_cast<ssize_t>(dev.size())) return -1;
      lseek(fd, 0, SEEK_SET);
      return fd;
    }
  }
  static const auto real = quarrow::test::Real<int (*)(const char*, int, ...)>("open");
  return real(path, flags, mode);
}

int close(int fd) {
  Kernel& k = TheKernel();
  {
    std::lock_guard lock(k.mutex);
    k.chipFiles.erase(fd);
    // Closing a line handle is how its lines are given back; an input keeps its level, an output
    // the level it drove.
    if (const auto it = k.handles.find(fd); it != k.handles.end()) {
      auto& chip = k.chips[static_cast<std::size_t>(it->second.chip)];
      for (const int line : it->second.lines) chip.lines[static_cast<std::size_t>(line)].held = false;
      k.handles.erase(it);
    }
  }
  static const auto real = quarrow::test::Real<int (*)(int)>("close");
  return real(fd);
}

int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  Kernel& k = TheKernel();
  {
    std::lock_guard lock(k.mutex);
    if (const auto it = k.chipFiles.find(fd); it != k.chipFiles.end()) {
      return quarrow::test::ChipIoctl(k, k.chips[static_cast<std::size_t>(it->second)], request, arg);
    }
    if (const auto it = k.handles.find(fd); it != k.handles.end()) {
      return quarrow::test::HandleIoctl(k, it->second, request, arg);
    }
  }
  static const auto real = quarrow::test::Real<int (*)(int, unsigned long, ...)>("ioctl");
  return real(fd, request, arg);
}

int stat(const char* path, struct stat* buf) noexcept {
  static const auto real = quarrow::test::Real<int (*)(const char*, struct stat*)>("stat");
  return quarrow::test::FakeStat(path, buf, real);
}

int lstat(const char* path, struct stat* buf) noexcept {
  static const auto real = quarrow::test::Real<int (*)(const char*, struct stat*)>("lstat");
  return quarrow::test::FakeStat(path, buf, real);
}

int access(const char* path, int mode) noexcept {
  Kernel& k = TheKernel();
  {
    std::lock_guard lock(k.mutex);
    if (quarrow::test::Chip* chip = nullptr; quarrow::test::SysfsDev(k, path, chip)) {
      return chip ? 0 : quarrow::test::Fail(ENOENT);
    }
  }
  static const auto real = quarrow::test::Real<int (*)(const char*, int)>("access");
  return real(path, mode);
}

// /dev holds the emulated chips alone while the kernel is active, so a test never meets the
// machine's own.
int scandir(const char* dir, struct dirent*** list, int (*filter)(const struct dirent*),
            int (*compare)(const struct dirent**, const struct dirent**)) {
  Kernel& k = TheKernel();
  std::vector<dirent*> entries;
  {
    std::lock_guard lock(k.mutex);
    if (!k.active || std::strcmp(dir, "/dev") != 0) {
      using Scandir = int (*)(const char*, dirent***, int (*)(const dirent*), int (*)(const dirent**, const dirent**));
      return quarrow::test::Real<Scandir>("scandir")(dir, list, filter, compare);
    }
    for (const auto& chip : k.chips) {
      if (chip.gone) continue;
      auto* entry = static_cast<dirent*>(std::calloc(1, sizeof(dirent)));
      std::snprintf(entry->d_name, sizeof entry->d_name, "gpiochip%d", quarrow::test::Number(k, chip));
      entry->d_type = DT_CHR;
      entries.push_back(entry);
    }
  }
  std::vector<dirent*> kept;
  for (dirent* entry : entries) {
    if (filter == nullptr || filter(entry)) kept.push_back(entry);
    else std::free(entry);
  }
  if (compare) {
    std::qsort(kept.data(), kept.size(), sizeof(dirent*), reinterpret_cast<int (*)(const void*, const void*)>(compare));
  }
  *list = static_cast<dirent**>(std::malloc(sizeof(dirent*) * (kept.size() + 1)));
  std::copy(kept.begin(), kept.end(), *list);
  return static_cast<int>(kept.size());
}

}  // extern "C"
