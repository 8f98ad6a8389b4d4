// SPDX-License-Identifier: GPL-3.0-or-later
// CRC32 from zlib; SHA-1 from the system: OpenSSL's libcrypto, or on Windows the CNG API (bcrypt),
// as there is no OpenSSL for Windows to link against.
#include "Hashes.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/err.h>
#include <openssl/evp.h>
#endif
#include <zlib.h>

#include <array>
#include <cstdio>

namespace quarrow {

namespace {

using Sha1Digest = std::array<unsigned char, 20>;

#ifdef _WIN32
bool Sha1(std::span<const std::uint8_t> bytes, Sha1Digest& digest, std::string& error) {
  // The separate open/create/hash/finish calls work from Windows Vista on (BCryptHash needs 10).
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  NTSTATUS status = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0);
  if (BCRYPT_SUCCESS(status)) status = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
  if (BCRYPT_SUCCESS(status)) {
    status = BCryptHashData(hash, const_cast<PUCHAR>(bytes.data()),
                            static_cast<ULONG>(bytes.size()), 0);
  }
  if (BCRYPT_SUCCESS(status)) {
    status = BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  }
  if (hash != nullptr) BCryptDestroyHash(hash);
  if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!BCRYPT_SUCCESS(status)) {
    char text[64];
    std::snprintf(text, sizeof text, "Windows CNG (bcrypt) status 0x%08lx",
                  static_cast<unsigned long>(status));
    error = text;
    return false;
  }
  return true;
}
#else
bool Sha1(std::span<const std::uint8_t> bytes, Sha1Digest& digest, std::string& error) {
  unsigned int digestSize = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &digestSize, EVP_sha1(), nullptr) != 1 ||
      digestSize != digest.size()) {
    char text[256] = "unknown OpenSSL error";
    if (unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
    error = text;
    return false;
  }
  return true;
}
#endif

}  // namespace

std::optional<ImageHashes> HashBytes(std::span<const std::uint8_t> bytes, std::string& error) {
  const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size()));

  Sha1Digest digest{};
  if (!Sha1(bytes, digest, error)) return std::nullopt;

  ImageHashes hashes;
  char crcText[16];
  std::snprintf(crcText, sizeof crcText, "%08lx", static_cast<unsigned long>(crc & 0xFFFFFFFFUL));
  hashes.crc32 = crcText;
  for (unsigned char byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hashes.sha1 += pair;
  }
  return hashes;
}

}  // namespace quarrow
