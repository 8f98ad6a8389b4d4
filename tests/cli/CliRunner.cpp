// SPDX-License-Identifier: GPL-3.0-or-later
// The tests' own model of the file layouts, and their files and folders.
#include "CliRunner.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace quarrow::testing {

namespace fs = std::filesystem;

Bytes ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes RandomBytes(unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(16);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::istringstream in(text);
  for (std::string piece; std::getline(in, piece, separator);) pieces.push_back(piece);
  return pieces;
}

Bytes InvertMirrorBytes(const Bytes& bytes) {
  Bytes result;
  for (std::uint8_t b : bytes) {
    std::uint8_t mirrored = 0;
    for (int i = 0; i < 8; ++i) {
      if (b & (1u << i)) mirrored |= static_cast<std::uint8_t>(0x80u >> i);
    }
    result.push_back(static_cast<std::uint8_t>(~mirrored));
  }
  return result;
}

std::string TextOfRaw(Bytes raw) {
  raw.resize(16, 0x00);
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < 16; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", raw[i]);
    text += pair;
    if (i == 7) text += ' ';
  }
  return text;
}

namespace {

std::array<unsigned char, 20> Sha1(const Bytes& bytes) {
  std::array<unsigned char, 20> digest{};
#ifdef _WIN32
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  NTSTATUS status = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0);
  if (BCRYPT_SUCCESS(status)) {
    status = BCryptHash(algorithm, nullptr, 0, const_cast<PUCHAR>(bytes.data()),
                        static_cast<ULONG>(bytes.size()), digest.data(), 20);
    BCryptCloseAlgorithmProvider(algorithm, 0);
  }
  if (!BCRYPT_SUCCESS(status)) throw std::runtime_error("SHA-1 failed");
#else
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha1(), nullptr) != 1 ||
      size != digest.size()) {
    throw std::runtime_error("SHA-1 failed");
  }
#endif
  return digest;
}

}  // namespace

std::string TableHashes(const Bytes& bytes) {
  const uLong crc = crc32(0L, bytes.data(), static_cast<uInt>(bytes.size()));
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(crc));
  std::string result = std::string(text) + "\t";
  for (unsigned char byte : Sha1(bytes)) {
    std::snprintf(text, sizeof text, "%02x", byte);
    result += text;
  }
  return result;
}

std::string IdentificationOfMame(const Bytes& mame) {
  const std::string hashes = TableHashes(mame);
  const std::size_t tab = hashes.find('\t');
  return "CRC(" + hashes.substr(0, tab) + ") SHA1(" + hashes.substr(tab + 1) + ")";
}

#ifdef _WIN32
namespace {
std::string SystemText(DWORD error) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string reason = text;
  while (!reason.empty() && std::strchr("\r\n.", reason.back()) != nullptr) reason.pop_back();
  return reason;
}
}  // namespace
std::string NoSuchFileText() { return SystemText(ERROR_FILE_NOT_FOUND); }
std::string NoSuchFolderText() { return SystemText(ERROR_PATH_NOT_FOUND); }
#else
std::string NoSuchFileText() { return "No such file or directory"; }
std::string NoSuchFolderText() { return "No such file or directory"; }
#endif

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate = fs::temp_directory_path() / ("quarrow-cli-" + std::to_string(random()));
    if (fs::create_directory(candidate)) path_ = candidate;
  }
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

namespace {

// The wiring file quarrow-cli reads at every Connect lies in a folder of the tests' own, never the
// person's, which could rewire every simulated read.
struct OwnSettingsFolder {
  TempFolder folder;
  OwnSettingsFolder() {
#ifdef _WIN32
    _wputenv_s(L"APPDATA", folder.path().c_str());
#else
    setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
#endif
  }
} ownSettingsFolder;

}  // namespace

}  // namespace quarrow::testing
