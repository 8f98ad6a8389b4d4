// Save and read of image files on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "ImageFile.h"

namespace quarrow {

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

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

}  // namespace

FileStatus SaveImageFile(const std::filesystem::path& path, const PromImage& image,
                         ImageFileLayout layout) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";

  // A short name of our own in the target's folder: the rename below is then atomic, and a long
  // target name cannot push the temporary one past the file system's limit. Created with the usual
  // permissions for the umask, exclusively, so it never takes over a file that already exists.
  std::string tempName;
  int fd = -1;
  std::random_device random;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    tempName = (folder / (std::string(".quarrow-") + suffix + ".tmp")).string();
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno != EEXIST) return FileStatus::Failure(SystemReason(errno));
  }
  if (fd < 0) return FileStatus::Failure(SystemReason(EEXIST));
  Descriptor file(fd);
  bool renamed = false;
  struct TempRemover {
    const std::string& name;
    const bool& renamed;
    ~TempRemover() { if (!renamed) ::unlink(name.c_str()); }
  } remover{tempName, renamed};

  const ImageFileBytes bytes = EncodeImageFile(image, layout);
  if (FileStatus written = WriteAll(fd, bytes.data(), bytes.size()); !written) return written;
  if (::fsync(fd) != 0) return FileStatus::Failure(SystemReason(errno));
  if (file.Close() != 0) return FileStatus::Failure(SystemReason(errno));

  if (::rename(tempName.c_str(), path.c_str()) != 0) return FileStatus::Failure(SystemReason(errno));
  renamed = true;

  // Makes the rename itself survive a power cut. The new file is complete either way, so a folder
  // that cannot be synced does not turn the save into a failure.
  if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

FileStatus ReadImageFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; the type check below then
  // refuses it anyway.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileStatus::Failure(SystemReason(errno));
  Descriptor file(fd);

  struct stat info {};
  if (::fstat(fd, &info) != 0) return FileStatus::Failure(SystemReason(errno));
  if (S_ISDIR(info.st_mode)) return FileStatus::Failure("it is a folder, not an image file");
  if (!S_ISREG(info.st_mode)) return FileStatus::Failure("it is not a regular file");

  std::uint8_t buffer[kImageFileSize];
  std::size_t got = 0;
  while (got < kImageFileSize) {
    ssize_t n = ::read(fd, buffer + got, kImageFileSize - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileStatus::Failure(SystemReason(errno));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.assign(buffer, buffer + got);
  return {};
}

}  // namespace quarrow
