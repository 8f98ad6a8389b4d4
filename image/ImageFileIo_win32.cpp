// SPDX-License-Identifier: GPL-3.0-or-later
// Save and read of image files on Windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

#include "ImageFile.h"
#include "PrintableText.h"
#include "UnfinishedSaves.h"
#include "WindowsErrorText.h"

namespace quarrow {

namespace {

std::string SystemReason(DWORD error) {
  const std::string reason = WindowsErrorText(error);
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
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  bool Close() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

// ---- Temporary files a console control handler may have to remove ----

using namespace detail;
using UnfinishedSave = SaveSlot<wchar_t, MAX_PATH + 1>;
UnfinishedSave unfinishedSaves[4];

FileStatus FolderFailure(const std::filesystem::path& folder, DWORD error) {
  return FileStatus::Failure("folder " + PrintablePath(folder) + ": " + SystemReason(error));
}

// One save's temporary file: created only if it does not exist yet, listed for the handlers while
// it exists, deleted unless it was moved into place.
class TemporaryFile {
 public:
  ~TemporaryFile() {
    file_.Close();
    if (!name_.empty() && !moved_) {
      if (slot_) slot_->state.store(kClaimed);
      DeleteFileW(name_.c_str());
    }
    if (slot_) slot_->state.store(kFree);
  }

  FileStatus Create(const std::filesystem::path& folder) {
    slot_ = ClaimSlot(unfinishedSaves);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      wchar_t suffix[16];
      std::swprintf(suffix, 16, L"%08x", static_cast<unsigned>(random()));
      const std::wstring name =
          (folder / (std::wstring(L".quarrow-") + suffix + L".tmp")).wstring();
      const bool listed = slot_ != nullptr && name.size() <= MAX_PATH;
      if (listed) std::wmemcpy(slot_->path, name.c_str(), name.size() + 1);
      HANDLE created = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
      if (created != INVALID_HANDLE_VALUE) {
        file_.Reset(created);
        name_ = name;
        if (listed) slot_->state.store(kLive);
        return {};
      }
      if (GetLastError() != ERROR_FILE_EXISTS) {
        createError_ = GetLastError();
        return FolderFailure(folder, createError_);
      }
    }
    createError_ = ERROR_FILE_EXISTS;
    return FolderFailure(folder, ERROR_FILE_EXISTS);
  }

  // The folder's access control list refused a new file to this user.
  bool RefusedByFolderPermission() const { return createError_ == ERROR_ACCESS_DENIED; }

  HANDLE get() const { return file_.get(); }
  bool Close() { return file_.Close(); }
  const std::wstring& name() const { return name_; }
  void Moved() {
    moved_ = true;
    if (slot_) slot_->state.store(kFree);
    slot_ = nullptr;
  }

 private:
  UnfinishedSave* slot_ = nullptr;
  std::wstring name_;
  FileHandle file_{INVALID_HANDLE_VALUE};
  DWORD createError_ = 0;
  bool moved_ = false;
};

FileStatus WriteBytes(HANDLE file, std::span<const std::uint8_t> bytes) {
  // A pipe may take a longer file (a pin trace) in parts.
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return LastFailure();
    }
    if (written == 0) return FileStatus::Failure("the disk took only part of the file");
    bytes = bytes.subspan(written);
  }
  return {};
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(L".");
}

constexpr const char* kIsAFolder = "it is a folder";

// Opens an existing target for writing as a plain write would, so a read-only file or one the
// user may not write refuses here. INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND: nothing there.
HANDLE OpenExisting(const std::filesystem::path& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND; }

// Opening a name in a folder that does not exist fails with "path not found": the folder is what
// the person has to fix, so it is the folder that is named, as on POSIX.
FileStatus OpenFailure(const std::filesystem::path& path, DWORD error) {
  if (error == ERROR_PATH_NOT_FOUND) return FolderFailure(FolderOf(path), error);
  return FileStatus::Failure(SystemReason(error));
}

// ReplaceFileW needs to delete the old file, so a program that holds it open without allowing
// that (as editors and viewers often do) makes the replace fail. Opening it with the same rights
// finds that out before anything is written, and before a read of the chip that would be lost. A
// refusal of the rights themselves is left to the save, which then writes the file in place.
FileStatus CheckReplaceable(const std::filesystem::path& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
    return OpenFailure(path, ERROR_SHARING_VIOLATION);
  }
  return {};
}

// ReplaceFileW takes a name without a folder part as a folder name under Wine ("the directory
// name is invalid"); the full name leaves nothing to interpret.
std::filesystem::path FullPath(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full;
}

// Not atomic: only for a file the user may write in a folder that refuses the temporary file. The
// save counts as done once the bytes are flushed to the disk.
FileStatus OverwriteInPlace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return LastFailure();
  if (FileStatus written = WriteBytes(file.get(), bytes); !written) return written;
  if (!FlushFileBuffers(file.get())) return LastFailure();
  if (!file.Close()) return LastFailure();
  return {};
}

}  // namespace

FileStatus SaveFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return FileStatus::Failure(kIsAFolder);
  }

  bool exists = false;
  {
    FileHandle existing(OpenExisting(path));
    if (existing.get() == INVALID_HANDLE_VALUE) {
      if (!IsMissing(GetLastError())) return OpenFailure(path, GetLastError());
    } else if (GetFileType(existing.get()) != FILE_TYPE_DISK) {
      // NUL, CON, a serial port or a pipe: written in place; replacing them by name is not a write.
      if (FileStatus written = WriteBytes(existing.get(), bytes); !written) return written;
      if (!existing.Close()) return LastFailure();
      return {};
    } else {
      exists = true;
    }
  }
  if (exists) {
    if (FileStatus replaceable = CheckReplaceable(path); !replaceable) return replaceable;
  }

  // A temporary file of our own beside the target, then moved over it: an existing file is
  // replaced whole or not at all.
  const std::filesystem::path full = FullPath(path);
  TemporaryFile temp;
  if (FileStatus created = temp.Create(FolderOf(full)); !created) {
    if (exists && temp.RefusedByFolderPermission()) return OverwriteInPlace(full, bytes);
    return created;
  }
  if (FileStatus written = WriteBytes(temp.get(), bytes); !written) return written;
  if (!FlushFileBuffers(temp.get())) return LastFailure();
  if (!temp.Close()) return LastFailure();

  // ReplaceFileW keeps the replaced file's attributes and access control list, as the POSIX save
  // keeps mode and owner; a symbolic link's target is what it replaces.
  const bool placed =
      exists ? ReplaceFileW(full.c_str(), temp.name().c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
             : MoveFileExW(temp.name().c_str(), full.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!placed) return LastFailure();
  temp.Moved();
  return {};
}

FileStatus CreateImageFile(const std::filesystem::path& path, const PromImage& image,
                           ImageFileLayout layout, bool& exists) {
  exists = false;
  if (path.empty()) return FileStatus::Failure("no file name given");
  const ImageFileBytes bytes = EncodeImageFile(image, layout);
  TemporaryFile temp;
  if (FileStatus created = temp.Create(FolderOf(path)); !created) return created;
  if (FileStatus written = WriteBytes(temp.get(), bytes); !written) return written;
  if (!FlushFileBuffers(temp.get())) return LastFailure();
  if (!temp.Close()) return LastFailure();
  // Without MOVEFILE_REPLACE_EXISTING the move fails if the name is taken, whoever took it.
  if (!MoveFileExW(temp.name().c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    exists = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    return FileStatus::Failure(SystemReason(error));
  }
  temp.Moved();
  return {};
}

FileStatus CheckSaveTarget(const std::filesystem::path& path) {
  if (path.empty()) return FileStatus::Failure("no file name given");
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return FileStatus::Failure(kIsAFolder);
  }
  FileHandle existing(OpenExisting(path));
  if (existing.get() != INVALID_HANDLE_VALUE) {
    const bool disk = GetFileType(existing.get()) == FILE_TYPE_DISK;
    existing.Close();  // its sharing would refuse the check's own open
    return disk ? CheckReplaceable(path) : FileStatus{};
  }
  if (!IsMissing(GetLastError())) return OpenFailure(path, GetLastError());
  const std::filesystem::path folder = FolderOf(path);
  const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
  if (folderAttributes == INVALID_FILE_ATTRIBUTES) return FolderFailure(folder, GetLastError());
  if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderFailure(folder, ERROR_DIRECTORY);
  // Neither the folder's attributes nor its access control list tell whether a new file may go
  // there (a read-only drive or share, a protected folder, a quota): the save's own first step, a
  // temporary file, is tried and removed again.
  TemporaryFile probe;
  return probe.Create(folder);
}

void RemoveUnfinishedSaveFiles() noexcept {
  for (UnfinishedSave& save : unfinishedSaves) {
    if (save.state.load() == kLive) DeleteFileW(save.path);
  }
}

FileStatus ReadRegularFileStart(const std::filesystem::path& path, std::size_t limit, const char* kind,
                                std::string& contents) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastFailure();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileStatus::Failure(std::string("it is a folder, not ") + kind);

  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return LastFailure();
  // Pipes and character devices (CON, a serial port) could keep a read waiting for ever.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return FileStatus::Failure("it is not a regular file");

  std::string buffer(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer.data() + got, static_cast<DWORD>(limit - got), &n, nullptr)) {
      return LastFailure();
    }
    if (n == 0) break;
    got += n;
  }
  buffer.resize(got);
  contents = std::move(buffer);
  return {};
}

}  // namespace quarrow
