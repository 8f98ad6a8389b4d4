// SPDX-License-Identifier: GPL-3.0-or-later
// Save and read of image files on POSIX systems.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include "ImageFile.h"
#include "PrintableText.h"
#include "RegularFile.h"
#include "UnfinishedSaves.h"

namespace quarrow {

namespace {

// As many links as Linux follows in one path before it reports a loop.
constexpr int kMaxLinkHops = 40;
// How long a save waits for a program to open a FIFO for reading: long enough for a reader started
// alongside (a shell pipeline, `cat fifo &`), short enough that a forgotten one is not a hang.
constexpr auto kFifoReaderWait = std::chrono::seconds(2);
constexpr auto kFifoReaderPoll = std::chrono::milliseconds(20);

constexpr const char* kIsAFolder = "it is a folder";
constexpr const char* kIsASocket = "it is a socket, which cannot be written as a file";

std::string SystemReason(int error) { return std::strerror(error); }

FileStatus FolderFailure(const std::filesystem::path& folder, int error) {
  return FileStatus::Failure("folder " + PrintablePath(folder) + ": " + SystemReason(error));
}

// Closes a descriptor once, whichever way the function leaves.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { if (fd_ >= 0) ::close(fd_); }
  int get() const { return fd_; }
  // Closes now and reports the close's own error: on some file systems a failed write is only
  // reported by close, and a save must not call that a success.
  int Close() { int fd = fd_; fd_ = -1; return fd >= 0 ? ::close(fd) : 0; }

 private:
  int fd_;
};

FileStatus WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileStatus::Failure(SystemReason(errno));
    }
    if (n == 0) return FileStatus::Failure("nothing could be written");
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return {};
}

// ---- Temporary files a signal handler may have to remove ----

using namespace detail;
using UnfinishedSave = SaveSlot<char, PATH_MAX>;
UnfinishedSave unfinishedSaves[4];

// Holds the signals that end a program in this thread while the temporary file is created and its
// slot published, so a handler never finds a file that exists but is not yet listed.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~TerminationSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// One save's temporary file: created exclusively, listed for the signal handlers while it exists,
// removed unless it was renamed into place.
class TemporaryFile {
 public:
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty() && !renamed_) {
      if (slot_) slot_->state.store(kClaimed, std::memory_order_release);
      ::unlink(name_.c_str());
    }
    if (slot_) slot_->state.store(kFree, std::memory_order_release);
  }

  // A short name of our own in the folder: the rename is then atomic, and a long target name
  // cannot push the temporary one past the file system's limit. O_EXCL: it never takes over a file
  // that already exists.
  FileStatus Create(const std::filesystem::path& folder, mode_t mode) {
    slot_ = ClaimSlot(unfinishedSaves);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
      const std::string name = (folder / (std::string(".quarrow-") + suffix + ".tmp")).string();
      const bool listed = slot_ != nullptr && name.size() < sizeof slot_->path;
      if (listed) std::memcpy(slot_->path, name.c_str(), name.size() + 1);
      TerminationSignalsHeld held;
      fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
      if (fd_ >= 0) {
        name_ = name;
        if (listed) slot_->state.store(kLive, std::memory_order_release);
        return {};
      }
      if (errno != EEXIST) {
        createError_ = errno;
        return FolderFailure(folder, errno);
      }
    }
    createError_ = EEXIST;
    return FolderFailure(folder, EEXIST);
  }

  // The folder refused a new name to this user, as a folder that is not the user's own does.
  bool RefusedByFolderPermission() const { return createError_ == EACCES || createError_ == EPERM; }

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  int Close() { int fd = fd_; fd_ = -1; return ::close(fd); }
  FileStatus RenameTo(const std::string& target) {
    // The name stays listed until the rename is done: a handler that runs just after it only fails
    // to find the name, while a handler that ran before it must still find the file.
    if (::rename(name_.c_str(), target.c_str()) != 0) {
      return FileStatus::Failure(SystemReason(errno));
    }
    Placed();
    return {};
  }
  // The file now lives under its final name; the temporary name must not be removed.
  void Placed() {
    renamed_ = true;
    if (slot_) slot_->state.store(kFree, std::memory_order_release);
    slot_ = nullptr;
  }

 private:
  UnfinishedSave* slot_ = nullptr;
  std::string name_;
  int fd_ = -1;
  int createError_ = 0;
  bool renamed_ = false;
};

// ---- Where a save goes ----

enum class TargetKind { Missing, Regular, Folder, Other };

struct SaveTarget {
  std::string path;  // the end of any chain of links
  TargetKind kind = TargetKind::Missing;
  mode_t type = 0;   // S_IFMT bits, for an existing target
  // Reached through one of /proc's links to an open file (/dev/stdout, /dev/fd/N): its target is
  // not a name that can be replaced, so the file is written through the link itself.
  bool openFileLink = false;
  // This process's own descriptor when the link is one of its /proc/self/fd entries: written
  // through a duplicate, at the descriptor's own position, so `-o /dev/stdout > file` keeps the
  // order of what goes to standard output.
  int ownDescriptor = -1;
};

TargetKind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return TargetKind::Folder;
  if (S_ISREG(mode)) return TargetKind::Regular;
  return TargetKind::Other;
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

bool IsOpenFileLink([[maybe_unused]] const std::string& link) {
#if defined(__linux__)
  struct statfs fs {};
  return ::statfs(FolderOf(link).c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
#else
  return false;
#endif
}

// N for /proc/self/fd/N, /dev/fd/N, /dev/stdout and the like, or -1.
int OwnDescriptorOf(const std::string& link) {
  const std::filesystem::path path(link);
  const std::string name = path.filename().string();
  const bool number = !name.empty() && name.size() <= 9 &&
                      name.find_first_not_of("0123456789") == std::string::npos;
  if (!number) {
    return -1;
  }
  struct stat folder {}, own {};
  if (::stat(FolderOf(path).c_str(), &folder) != 0 || ::stat("/proc/self/fd", &own) != 0) return -1;
  if (folder.st_dev != own.st_dev || folder.st_ino != own.st_ino) return -1;
  return std::stoi(name);
}

// Follows symbolic links one by one, as open() would, to learn which name a save must replace.
FileStatus ResolveTarget(const std::filesystem::path& given, SaveTarget& target) {
  std::string current = given.string();
  for (int hop = 0;; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) return FileStatus::Failure(SystemReason(errno));
      target = {current, TargetKind::Missing, 0, false, -1};
      return {};
    }
    if (!S_ISLNK(info.st_mode)) {
      target = {current, KindOf(info.st_mode), static_cast<mode_t>(info.st_mode & S_IFMT), false,
                -1};
      return {};
    }
    if (hop == kMaxLinkHops) return FileStatus::Failure(SystemReason(ELOOP));
    if (IsOpenFileLink(current)) {
      if (::stat(current.c_str(), &info) != 0) return FileStatus::Failure(SystemReason(errno));
      target = {current, KindOf(info.st_mode), static_cast<mode_t>(info.st_mode & S_IFMT), true,
                OwnDescriptorOf(current)};
      return {};
    }
    std::string text(PATH_MAX, '\0');
    const ssize_t length = ::readlink(current.c_str(), text.data(), text.size());
    if (length < 0) return FileStatus::Failure(SystemReason(errno));
    if (static_cast<std::size_t>(length) >= text.size()) {
      return FileStatus::Failure(SystemReason(ENAMETOOLONG));
    }
    text.resize(static_cast<std::size_t>(length));
    const std::filesystem::path linkFolder = std::filesystem::path(current).parent_path();
    current = text.front() == '/' || linkFolder.empty() ? text : (linkFolder / text).string();
  }
}

// A plain write opens the file for writing; the same open decides whether it may be replaced, so
// mode 444, another user's file, a read-only mount and an immutable file all refuse as they would,
// and a file with no write bit at all refuses root too.
FileStatus CheckWritable(const SaveTarget& target, struct stat& existing) {
  // O_NONBLOCK: if the name has turned into a FIFO since it was looked at, the open must not wait.
  const int fd = ::open(target.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FileStatus::Failure(SystemReason(errno));
  Descriptor probe(fd);
  if (::fstat(fd, &existing) != 0) return FileStatus::Failure(SystemReason(errno));
  // Root's open succeeds whatever the mode; a dump whose write bits were all taken away was marked
  // read-only on purpose, usually to keep an archived dump, and is not replaced for anyone.
  if (S_ISREG(existing.st_mode) && (existing.st_mode & 0222) == 0) {
    return FileStatus::Failure(SystemReason(EACCES) +
                               " (the file is read-only; make it writable to replace it)");
  }
  return {};
}

FileStatus CheckFolderWritable(const std::filesystem::path& folder) {
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return FolderFailure(folder, errno);
  }
  return {};
}

// Makes a rename or link survive a power cut. The new file is complete either way, so a folder that
// cannot be synced does not turn the save into a failure.
void SyncFolder(const std::filesystem::path& folder) {
  if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// Not atomic: a crash between the truncation and the sync leaves a short file. Only for a target
// whose folder refuses the temporary file that would have made it so.
FileStatus OverwriteInPlace(const SaveTarget& target, std::span<const std::uint8_t> bytes) {
  // O_NOFOLLOW: the name was resolved to its last link already; a link put there since is not
  // followed somewhere else. The type is checked before the truncation: the name may have been
  // replaced by a FIFO or device meanwhile.
  const RegularFileOpen opened = OpenRegularFile(target.path, O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
  if (opened.error != 0) return FileStatus::Failure(SystemReason(opened.error));
  if (opened.fd < 0) return FileStatus::Failure("it is no longer a regular file");
  const int fd = opened.fd;
  Descriptor file(fd);
  if (::ftruncate(fd, 0) != 0) return FileStatus::Failure(SystemReason(errno));
  if (FileStatus written = WriteAll(fd, bytes.data(), bytes.size()); !written) return written;
  // Success means the bytes are on the disk, not only in the page cache.
  if (::fsync(fd) != 0) return FileStatus::Failure(SystemReason(errno));
  if (file.Close() != 0) return FileStatus::Failure(SystemReason(errno));
  return {};
}

FileStatus ReplaceFile(const SaveTarget& target, std::span<const std::uint8_t> bytes) {
  const bool exists = target.kind == TargetKind::Regular;
  struct stat existing {};
  if (exists) {
    if (FileStatus writable = CheckWritable(target, existing); !writable) return writable;
  }
  const std::filesystem::path folder = FolderOf(target.path);
  TemporaryFile temp;
  // A replacement starts private and gets the old file's bits below; a new file gets the usual
  // permissions for the umask.
  if (FileStatus created = temp.Create(folder, exists ? 0600 : 0666); !created) {
    // A file the user may write in a folder the user may not (a shared dumps folder, another
    // user's home): a plain write succeeds there, so the save does too, in place.
    if (exists && temp.RefusedByFolderPermission()) return OverwriteInPlace(target, bytes);
    return created;
  }

  if (exists) {
    // Owner first: a change of owner may clear mode bits. Another user's file keeps at least its
    // group where the process belongs to it; beyond that a plain write would not have kept the
    // owner either, so a refusal here does not fail the save.
    if (::fchown(temp.fd(), existing.st_uid, existing.st_gid) != 0) {
      (void)::fchown(temp.fd(), static_cast<uid_t>(-1), existing.st_gid);
    }
    // Set-ID bits are not carried over: the content is new.
    if (::fchmod(temp.fd(), existing.st_mode & 0777) != 0) {
      return FileStatus::Failure(SystemReason(errno));
    }
  }
  if (FileStatus written = WriteAll(temp.fd(), bytes.data(), bytes.size()); !written) {
    return written;
  }
  if (::fsync(temp.fd()) != 0) return FileStatus::Failure(SystemReason(errno));
  if (temp.Close() != 0) return FileStatus::Failure(SystemReason(errno));
  if (FileStatus renamed = temp.RenameTo(target.path); !renamed) return renamed;
  SyncFolder(folder);
  return {};
}

// Devices, FIFOs and files open elsewhere are written in place, as a plain write would: replacing
// them by name would turn /dev/null into a regular file and never reach the reader of a FIFO.
FileStatus WriteDirectly(const SaveTarget& target, std::span<const std::uint8_t> bytes) {
  if (S_ISSOCK(target.type)) return FileStatus::Failure(kIsASocket);
  // O_NONBLOCK: the open of a FIFO without a reader fails at once (ENXIO) instead of waiting for
  // ever, and a serial device does not wait for its carrier.
  const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                    (target.kind == TargetKind::Regular ? O_TRUNC : 0);
  if (target.ownDescriptor >= 0) {
    const int fd = ::fcntl(target.ownDescriptor, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return FileStatus::Failure(SystemReason(errno));
    Descriptor file(fd);
    if (FileStatus written = WriteAll(fd, bytes.data(), bytes.size()); !written) return written;
    if (file.Close() != 0) return FileStatus::Failure(SystemReason(errno));
    return {};
  }
  int fd = ::open(target.path.c_str(), flags);
  const auto deadline = std::chrono::steady_clock::now() + kFifoReaderWait;
  while (fd < 0 && errno == ENXIO && S_ISFIFO(target.type) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kFifoReaderPoll);
    fd = ::open(target.path.c_str(), flags);
  }
  if (fd < 0) {
    if (errno == ENXIO && S_ISFIFO(target.type)) {
      return FileStatus::Failure(
          "no program is reading from this FIFO (waited 2 seconds); start the reader first");
    }
    return FileStatus::Failure(SystemReason(errno));
  }
  Descriptor file(fd);
  // Blocking again, so a reader that is a little slow still gets all the bytes.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (FileStatus written = WriteAll(fd, bytes.data(), bytes.size()); !written) return written;
  if (target.kind == TargetKind::Regular && ::fsync(fd) != 0) {
    return FileStatus::Failure(SystemReason(errno));
  }
  if (file.Close() != 0) return FileStatus::Failure(SystemReason(errno));
  return {};
}


}  // namespace

FileStatus SaveFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  SaveTarget target;
  if (FileStatus resolved = ResolveTarget(path, target); !resolved) return resolved;
  if (target.kind == TargetKind::Folder) return FileStatus::Failure(kIsAFolder);
  if (target.kind == TargetKind::Other || target.openFileLink) return WriteDirectly(target, bytes);
  return ReplaceFile(target, bytes);
}

FileStatus CreateImageFile(const std::filesystem::path& path, const PromImage& image,
                           ImageFileLayout layout, bool& exists) {
  exists = false;
  if (path.empty()) return FileStatus::Failure("no file name given");
  const ImageFileBytes bytes = EncodeImageFile(image, layout);
  const std::filesystem::path folder = FolderOf(path);
  TemporaryFile temp;
  if (FileStatus created = temp.Create(folder, 0666); !created) return created;
  if (FileStatus written = WriteAll(temp.fd(), bytes.data(), bytes.size()); !written) {
    return written;
  }
  if (::fsync(temp.fd()) != 0) return FileStatus::Failure(SystemReason(errno));
  if (temp.Close() != 0) return FileStatus::Failure(SystemReason(errno));
  // link() never replaces what is there; the temporary name then goes with the object.
  if (::link(temp.name().c_str(), path.c_str()) != 0) {
    int error = errno;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    // File systems without hard links (FAT, some network ones) may still rename without replacing.
    if (error != EEXIST &&
        ::renameat2(AT_FDCWD, temp.name().c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
      temp.Placed();
      SyncFolder(folder);
      return {};
    }
    if (error != EEXIST && errno == EEXIST) error = EEXIST;
#endif
    exists = error == EEXIST;
    return FileStatus::Failure(SystemReason(error));
  }
  SyncFolder(folder);
  return {};
}

FileStatus CheckSaveTarget(const std::filesystem::path& path) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  SaveTarget target;
  if (FileStatus resolved = ResolveTarget(path, target); !resolved) return resolved;
  switch (target.kind) {
    case TargetKind::Folder:
      return FileStatus::Failure(kIsAFolder);
    case TargetKind::Other:
      if (S_ISSOCK(target.type)) return FileStatus::Failure(kIsASocket);
      return {};
    case TargetKind::Regular: {
      struct stat existing {};
      if (FileStatus writable = CheckWritable(target, existing); !writable) return writable;
      // A writable file can be saved whatever its folder allows: in place when the folder refuses
      // the temporary file (OverwriteInPlace).
      return {};
    }
    case TargetKind::Missing:
      break;
  }
  return CheckFolderWritable(FolderOf(target.path));
}

void RemoveUnfinishedSaveFiles() noexcept {
  for (UnfinishedSave& save : unfinishedSaves) {
    if (save.state.load(std::memory_order_acquire) == kLive) ::unlink(save.path);
  }
}

FileStatus ReadRegularFileStart(const std::filesystem::path& path, std::size_t limit, const char* kind,
                                std::string& contents) {
  const RegularFileOpen opened = OpenRegularFile(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (opened.error != 0) return FileStatus::Failure(SystemReason(opened.error));
  if (S_ISDIR(opened.type)) return FileStatus::Failure(std::string("it is a folder, not ") + kind);
  if (opened.fd < 0) return FileStatus::Failure("it is not a regular file");
  const int fd = opened.fd;
  Descriptor file(fd);

  std::string buffer(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    ssize_t n = ::read(fd, buffer.data() + got, limit - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileStatus::Failure(SystemReason(errno));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  buffer.resize(got);
  contents = std::move(buffer);
  return {};
}

}  // namespace quarrow
