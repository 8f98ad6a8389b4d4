// Save and open of image files on a real file system: round trips, replacing files whole, and the
// refusals that must leave both the file and the image as they were.
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
  EXPECT_FALSE(SaveImageFile(path, RandomImage(), ImageFileLayout::Nss));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"a folder"});
}

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
