// SPDX-License-Identifier: GPL-3.0-or-later
// Save and open of image files on a real file system: round trips, replacing files whole, and the
// refusals that must leave both the file and the image as they were.
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ImageFile.h"

namespace quarrow {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The system's words for a path that does not exist, as the file calls report them.
#ifdef _WIN32
std::string SystemText(DWORD error) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string reason = text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason;
}
const std::string kNoSuchFile = SystemText(ERROR_FILE_NOT_FOUND);
const std::string kNoSuchFolder = SystemText(ERROR_PATH_NOT_FOUND);
#else
const std::string kNoSuchFile = "No such file or directory";
const std::string kNoSuchFolder = "No such file or directory";
#endif

class ImageFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && folder_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("quarrow-image-" + std::to_string(random()));
      if (fs::create_directory(candidate)) folder_ = candidate;
    }
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { fs::remove_all(folder_); }

  static Bytes Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<fs::path> FolderEntries() const {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder_)) entries.push_back(entry.path().filename());
    return entries;
  }

  fs::path folder_;
  std::mt19937_64 random_{314159};

  PromImage RandomImage() {
    PromImage image;
    image.word0 = random_();
    image.word1 = random_();
    return image;
  }
};

TEST_F(ImageFileOnDisk, RandomImagesRoundTripThroughFilesInBothLayouts) {
  const fs::path path = folder_ / "dump.prm";
  for (int i = 0; i < 50; ++i) {
    const PromImage image = RandomImage();
    for (auto layout : {ImageFileLayout::Mame, ImageFileLayout::Nss}) {
      ASSERT_TRUE(SaveImageFile(path, image, layout));
      const ImageFileBytes encoded = EncodeImageFile(image, layout);
      EXPECT_EQ(Contents(path), Bytes(encoded.begin(), encoded.end()));
      PromImage opened;
      const FileStatus status = OpenImageFile(path, layout, opened);
      ASSERT_TRUE(status) << status.reason;
      EXPECT_EQ(opened, image);
    }
  }
  EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"dump.prm"});
}

// The archive's save: a new name gets the whole file, a taken one is never replaced, and no
// temporary file stays behind either way.
TEST_F(ImageFileOnDisk, CreateWritesANewFileAndNeverReplacesAnExistingOne) {
  const PromImage image = RandomImage();
  bool exists = true;
  ASSERT_TRUE(CreateImageFile(folder_ / "new.nss", image, ImageFileLayout::Nss, exists));
  EXPECT_FALSE(exists);
  const ImageFileBytes encoded = EncodeImageFile(image, ImageFileLayout::Nss);
  EXPECT_EQ(Contents(folder_ / "new.nss"), Bytes(encoded.begin(), encoded.end()));

  Write(folder_ / "taken.prm", Bytes{1, 2, 3});
  EXPECT_FALSE(CreateImageFile(folder_ / "taken.prm", image, ImageFileLayout::Mame, exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ(Contents(folder_ / "taken.prm"), (Bytes{1, 2, 3}));
  EXPECT_EQ(FolderEntries().size(), 2u);
}

TEST_F(ImageFileOnDisk, LineEndBytesAreWrittenAndReadUnchanged) {
  const Bytes raw = {0x0A, 0x0D, 0x0D, 0x0A, 0x0A, 0x00, 0x0D, 0x1A,
                     0x0D, 0x0A, 0xFF, 0x0A, 0x0D, 0x0A, 0x0A, 0x0D};
  const PromImage image = DecodeImageFile(raw, ImageFileLayout::Nss);
  const fs::path path = folder_ / "lines.bin";
  ASSERT_TRUE(SaveImageFile(path, image, ImageFileLayout::Nss));
  EXPECT_EQ(Contents(path), raw);
  PromImage opened;
  ASSERT_TRUE(OpenImageFile(path, ImageFileLayout::Nss, opened));
  EXPECT_EQ(opened, image);
}

TEST_F(ImageFileOnDisk, SavingOverALongerFileLeavesSixteenBytes) {
  const fs::path path = folder_ / "old.prm";
  Write(path, Bytes(100, 0x5A));
  const PromImage image = RandomImage();
  ASSERT_TRUE(SaveImageFile(path, image, ImageFileLayout::Mame));
  EXPECT_EQ(fs::file_size(path), 16u);
  PromImage opened;
  ASSERT_TRUE(OpenImageFile(path, ImageFileLayout::Mame, opened));
  EXPECT_EQ(opened, image);
}

TEST_F(ImageFileOnDisk, NamesWithSpacesAndNonAsciiCharactersWork) {
  const fs::path sub = folder_ / "Spiele – Sicherung";
  fs::create_directory(sub);
  const fs::path path = sub / u8"Ränder 日本 dump.prm";
  const PromImage image = RandomImage();
  ASSERT_TRUE(SaveImageFile(path, image, ImageFileLayout::Mame));
  PromImage opened;
  ASSERT_TRUE(OpenImageFile(path, ImageFileLayout::Mame, opened));
  EXPECT_EQ(opened, image);
}

// Windows has no per-process limit on file size, nor another way for an unprivileged test to make a
// write fail part way, so the failing write is tested on POSIX systems only.
#ifndef _WIN32
// Lowers the largest file this process may write, so that a write fails part way with EFBIG once
// the temporary file exists. Root ignores file modes, but not this limit.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
  bool ok_ = false;
};

TEST_F(ImageFileOnDisk, FailedWriteLeavesTheOldFileAsItWasAndNoTemporaryFile) {
  const fs::path path = folder_ / "keep.prm";
  Bytes old(40);
  for (auto& b : old) b = static_cast<std::uint8_t>(random_());
  Write(path, old);

  for (rlim_t limit : {0, 8}) {
    FileStatus status;
    {
      FileSizeLimit small(limit);
      ASSERT_TRUE(small.ok());
      status = SaveImageFile(path, RandomImage(), ImageFileLayout::Mame);
    }
    EXPECT_FALSE(status) << "limit " << limit;
    EXPECT_FALSE(status.reason.empty());
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"keep.prm"});
  }
}
#endif

TEST_F(ImageFileOnDisk, SaveIntoAMissingFolderFailsWithAReason) {
  const fs::path path = folder_ / "no such folder" / "dump.prm";
  const FileStatus status = SaveImageFile(path, RandomImage(), ImageFileLayout::Mame);
  EXPECT_FALSE(status);
  EXPECT_NE(status.reason.find(kNoSuchFolder), std::string::npos) << status.reason;
  EXPECT_FALSE(fs::exists(path.parent_path()));
}

TEST_F(ImageFileOnDisk, SaveOverAFolderFailsAndLeavesItAlone) {
  const fs::path path = folder_ / "a folder";
  fs::create_directory(path);
  for (const fs::path& folder : {path, fs::path("."), fs::path("/")}) {
    const FileStatus status = SaveImageFile(folder, RandomImage(), ImageFileLayout::Nss);
    EXPECT_EQ(status.reason, "it is a folder") << folder;
    EXPECT_EQ(CheckSaveTarget(folder).reason, "it is a folder") << folder;
  }
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"a folder"});
}

// Links, permission bits and owners, device nodes, FIFOs and signals are POSIX's; the Windows save
// has its own rules for folders and devices, which the tests above cover.
#ifndef _WIN32
TEST_F(ImageFileOnDisk, SymbolicLinksAreWrittenThroughAndStayLinks) {
  fs::create_directory(folder_ / "files");
  Write(folder_ / "files" / "real.prm", Bytes(40, 0x11));
  fs::create_symlink("files/real.prm", folder_ / "link.prm");
  fs::create_symlink("files/new.prm", folder_ / "dangling.prm");
  fs::create_symlink("loop-b", folder_ / "loop-a");
  fs::create_symlink("loop-a", folder_ / "loop-b");

  const PromImage image = RandomImage();
  const ImageFileBytes bytes = EncodeImageFile(image, ImageFileLayout::Mame);
  ASSERT_TRUE(SaveImageFile(folder_ / "link.prm", image, ImageFileLayout::Mame));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.prm"));
  EXPECT_EQ(Contents(folder_ / "files" / "real.prm"), Bytes(bytes.begin(), bytes.end()));

  ASSERT_TRUE(SaveImageFile(folder_ / "dangling.prm", image, ImageFileLayout::Mame));
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.prm"));
  EXPECT_EQ(Contents(folder_ / "files" / "new.prm"), Bytes(bytes.begin(), bytes.end()));

  const FileStatus loop = SaveImageFile(folder_ / "loop-a", image, ImageFileLayout::Mame);
  EXPECT_EQ(loop.reason, "Too many levels of symbolic links");
  EXPECT_TRUE(fs::is_symlink(folder_ / "loop-a"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "files"), {}), 2);
  EXPECT_EQ(FolderEntries().size(), 5u);
}

TEST_F(ImageFileOnDisk, ReplacedFileKeepsItsPermissionBitsAndOwner) {
  const fs::path path = folder_ / "private.prm";
  Write(path, Bytes(16, 0));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  // Root may give the file away first, and must then keep its owner.
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  const mode_t umask = ::umask(022);
  const FileStatus status = SaveImageFile(path, RandomImage(), ImageFileLayout::Mame);
  ::umask(umask);
  ASSERT_TRUE(status) << status.reason;
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
  }
}

// Runs `save` in a child that has given up root, as "nobody", and hands back its status: root may
// write any file, so a refusal by permission can only be seen without it.
FileStatus AsNobody(const std::function<FileStatus()>& save) {
  if (::geteuid() != 0) return save();
  int channel[2];
  if (::pipe(channel) != 0) return FileStatus::Failure("test: no pipe");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(channel[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    const FileStatus status = save();
    (void)!::write(channel[1], status.reason.data(), status.reason.size());
    ::_exit(status.ok ? 0 : 1);
  }
  ::close(channel[1]);
  std::string reason;
  char buffer[256];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) reason.append(buffer, n);
  ::close(channel[0]);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  if (!WIFEXITED(wstatus) || WEXITSTATUS(wstatus) == 2) {
    return FileStatus::Failure("test: the child could not become nobody");
  }
  return WEXITSTATUS(wstatus) == 0 ? FileStatus{} : FileStatus::Failure(reason);
}

TEST_F(ImageFileOnDisk, FilesAndFoldersThatMayNotBeWrittenAreRefusedAsAPlainWriteWouldBe) {
  // The folder is open to everyone, so only the file's own mode can refuse.
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  const fs::path readOnly = folder_ / "read-only.prm";
  Write(readOnly, Bytes(16, 0x44));
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(readOnly.c_str(), 65534, 65534), 0);
  }
  const fs::path locked = folder_ / "locked";
  fs::create_directory(locked);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);

  using Operation = FileStatus (*)(const fs::path&);
  const Operation save = [](const fs::path& p) {
    return SaveImageFile(p, {}, ImageFileLayout::Mame);
  };
  for (Operation operation : {save, Operation{&CheckSaveTarget}}) {
    EXPECT_EQ(AsNobody([&] { return operation(readOnly); }).reason, "Permission denied");
    // Root included: no write bit at all marks a dump kept on purpose.
    EXPECT_EQ(operation(readOnly).reason.rfind("Permission denied", 0), 0u);
    EXPECT_EQ(AsNobody([&] { return operation(locked / "new.prm"); }).reason,
              "folder " + locked.string() + ": Permission denied");
  }
  EXPECT_EQ(Contents(readOnly), Bytes(16, 0x44));
  EXPECT_EQ(FolderEntries().size(), 2u);
  EXPECT_TRUE(fs::is_empty(locked));
}

// A folder that refuses the temporary file must not make a writable file unsavable; a file that
// refuses writing stays refused there too.
TEST_F(ImageFileOnDisk, WritableFileInAFolderThatMayNotBeWrittenIsSavedInPlace) {
  const fs::path writable = folder_ / "writable.prm";
  const fs::path readOnly = folder_ / "read-only.prm";
  Write(writable, Bytes(20, 0x55));
  Write(readOnly, Bytes(16, 0x44));
  ASSERT_EQ(::chmod(writable.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
  const PromImage image = RandomImage();

  EXPECT_TRUE(AsNobody([&] { return CheckSaveTarget(writable); })) << "check";
  const FileStatus saved =
      AsNobody([&] { return SaveImageFile(writable, image, ImageFileLayout::Nss); });
  EXPECT_TRUE(saved) << saved.reason;
  const ImageFileBytes expected = EncodeImageFile(image, ImageFileLayout::Nss);
  EXPECT_EQ(Contents(writable), Bytes(expected.begin(), expected.end()));
  EXPECT_EQ(AsNobody([&] { return SaveImageFile(readOnly, image, ImageFileLayout::Nss); }).reason,
            "Permission denied");
  ASSERT_EQ(::chmod(folder_.c_str(), 0700), 0);
  EXPECT_EQ(Contents(readOnly), Bytes(16, 0x44));
  EXPECT_EQ(FolderEntries().size(), 2u);
}

TEST_F(ImageFileOnDisk, DevicesAndFifosAreWrittenInPlace) {
  const PromImage image = RandomImage();
  const ImageFileBytes bytes = EncodeImageFile(image, ImageFileLayout::Nss);

  // A null device of our own, so that a regression replaces only this copy.
  const fs::path null = folder_ / "null";
  if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    const FileStatus status = SaveImageFile(null, image, ImageFileLayout::Nss);
    EXPECT_TRUE(status) << status.reason;
    EXPECT_TRUE(fs::is_character_file(null));
  }

  // The reading end is open before the save, so the bytes wait in the pipe.
  const fs::path fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const FileStatus read = SaveImageFile(fifo, image, ImageFileLayout::Nss);
  EXPECT_TRUE(read) << read.reason;
  Bytes received(32);
  const ssize_t got = ::read(reader, received.data(), received.size());
  received.resize(static_cast<std::size_t>(std::max<ssize_t>(0, got)));
  ::close(reader);
  EXPECT_EQ(received, Bytes(bytes.begin(), bytes.end()));

  // Nobody reads: the save gives up after a short wait instead of hanging.
  const FileStatus unread = SaveImageFile(fifo, image, ImageFileLayout::Nss);
  EXPECT_NE(unread.reason.find("no program is reading"), std::string::npos) << unread.reason;
  EXPECT_TRUE(fs::is_fifo(fifo));

  const fs::path socketPath = folder_ / "socket";
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_FALSE(SaveImageFile(socketPath, image, ImageFileLayout::Nss));
  EXPECT_TRUE(fs::is_socket(socketPath));
  ::close(sock);
}

// The folder a test's signal handler looks into, and what it saw there.
int signalFolder = -1;
int tempFilesBeforeCleanUp = -1;
int tempFilesAfterCleanUp = -1;

// Counts the save's temporary files with nothing but system calls, as a signal handler may.
int TempFilesIn(int folder) {
  alignas(8) static char buffer[4096];
  int count = 0;
  ::lseek(folder, 0, SEEK_SET);
  for (long n; (n = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0;) {
    for (long offset = 0; offset < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
      count += std::strncmp(entry->d_name, ".quarrow-", 9) == 0;
      offset += entry->d_reclen;
    }
  }
  return count;
}

// A program's handler for SIGINT or SIGTERM calls RemoveUnfinishedSaveFiles before it ends. SIGXFSZ
// stands in for those here because it arrives at a known moment: inside the write to the temporary
// file, when the size limit is reached.
TEST_F(ImageFileOnDisk, SignalHandlerCanRemoveTheTemporaryFileOfASaveUnderWay) {
  signalFolder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(signalFolder, 0);
  struct sigaction handler {}, previous {};
  handler.sa_handler = [](int) {
    tempFilesBeforeCleanUp = TempFilesIn(signalFolder);
    RemoveUnfinishedSaveFiles();
    tempFilesAfterCleanUp = TempFilesIn(signalFolder);
  };
  ASSERT_EQ(::sigaction(SIGXFSZ, &handler, &previous), 0);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 8;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileStatus status =
      SaveImageFile(folder_ / "dump.prm", RandomImage(), ImageFileLayout::Mame);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);
  ::close(signalFolder);

  EXPECT_FALSE(status);
  EXPECT_EQ(tempFilesBeforeCleanUp, 1);
  EXPECT_EQ(tempFilesAfterCleanUp, 0);
}

#endif

struct Unopenable {
  const char* name;
  void (*make)(const fs::path&);
  const char* reasonPart;
};
void PrintTo(const Unopenable& c, std::ostream* os) { *os << c.name; }

class OpenRefusal : public ImageFileOnDisk, public ::testing::WithParamInterface<Unopenable> {};

// A refused open must not touch the image: the buffer keeps what the person last opened.
TEST_P(OpenRefusal, FailsWithAReasonAndLeavesTheImageUntouched) {
  const fs::path path = folder_ / "target";
  GetParam().make(path);
  for (auto layout : {ImageFileLayout::Mame, ImageFileLayout::Nss}) {
    const PromImage before = RandomImage();
    PromImage image = before;
    const FileStatus status = OpenImageFile(path, layout, image);
    EXPECT_FALSE(status);
    EXPECT_NE(status.reason.find(GetParam().reasonPart), std::string::npos) << status.reason;
    EXPECT_EQ(image, before);
  }
}

const Unopenable kUnopenable[] = {
    {"Missing", [](const fs::path&) {}, kNoSuchFile.c_str()},
    {"Folder", [](const fs::path& p) { fs::create_directory(p); }, "folder"},
#ifndef _WIN32
    // Opening a FIFO with no writer would block a plain open for ever. (Windows keeps its pipes out
    // of the file system.)
    {"Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "not a regular file"},
#endif
};

INSTANTIATE_TEST_SUITE_P(
    Kinds, OpenRefusal, ::testing::ValuesIn(kUnopenable),
    [](const auto& info) { return std::string(info.param.name); });

// Bytes this process has passed through read() so far, from the kernel's own count.
long long BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = -1;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

TEST_F(ImageFileOnDisk, HugeFileOpensReadingOnlyItsFirstBytes) {
  const fs::path path = folder_ / "huge.prm";
  const PromImage image = RandomImage();
  ASSERT_TRUE(SaveImageFile(path, image, ImageFileLayout::Mame));
  fs::resize_file(path, 6ULL << 30);  // sparse: takes no space

  const long long before = BytesReadSoFar();
  PromImage opened;
  ASSERT_TRUE(OpenImageFile(path, ImageFileLayout::Mame, opened));
  const long long after = BytesReadSoFar();
  EXPECT_EQ(opened, image);
  if (before < 0 || after < 0) GTEST_SKIP() << "no per-process read count on this system";
  // The reading of /proc/self/io itself counts too; anything near the file's size would not fit.
  EXPECT_LT(after - before, 64 * 1024);
}

}  // namespace
}  // namespace quarrow
