// Save and read of image files on Windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "ImageFile.h"

namespace quarrow {

namespace {

std::string SystemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    reason.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), size, nullptr,
                        nullptr);
  }
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(error) : reason;
}

FileStatus LastFailure() { return FileStatus::Failure(SystemReason(GetLastError())); }

// Closes a handle once, whichever way the function leaves.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }
  HANDLE get() const { return handle_; }
  bool Close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace

FileStatus SaveImageFile(const std::filesystem::path& path, const PromImage& image,
                         ImageFileLayout layout) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : L".";

  // A temporary file of our own beside the target, created only if it does not exist yet, then
  // moved over the target: an existing file is replaced whole or not at all.
  std::filesystem::path tempName;
  HANDLE created = INVALID_HANDLE_VALUE;
  std::random_device random;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"%08x", static_cast<unsigned>(random()));
    tempName = folder / (std::wstring(L".quarrow-") + suffix + L".tmp");
    created = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return LastFailure();
  }
  if (created == INVALID_HANDLE_VALUE) return FileStatus::Failure(SystemReason(ERROR_FILE_EXISTS));
  FileHandle file(created);
  bool moved = false;
  struct TempRemover {
    const std::filesystem::path& name;
    const bool& moved;
    ~TempRemover() { if (!moved) DeleteFileW(name.c_str()); }
  } remover{tempName, moved};

  const ImageFileBytes bytes = EncodeImageFile(image, layout);
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return LastFailure();
  }
  if (written != bytes.size()) return FileStatus::Failure("the disk took only part of the file");
  if (!FlushFileBuffers(file.get())) return LastFailure();
  if (!file.Close()) return LastFailure();

  if (!MoveFileExW(tempName.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastFailure();
  }
  moved = true;
  return {};
}

FileStatus ReadImageFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastFailure();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileStatus::Failure("it is a folder, not an image file");

  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return LastFailure();
  // Pipes and character devices (CON, a serial port) could keep a read waiting for ever.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return FileStatus::Failure("it is not a regular file");

  std::uint8_t buffer[kImageFileSize];
  DWORD got = 0;
  while (got < kImageFileSize) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer + got, static_cast<DWORD>(kImageFileSize - got), &n, nullptr)) {
      return LastFailure();
    }
    if (n == 0) break;
    got += n;
  }
  bytes.assign(buffer, buffer + got);
  return {};
}

}  // namespace quarrow
