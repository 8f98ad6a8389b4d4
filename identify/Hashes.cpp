// CRC32 from zlib, SHA-1 from OpenSSL's libcrypto.
#include "Hashes.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>

namespace quarrow {

std::optional<ImageHashes> HashBytes(std::span<const std::uint8_t> bytes, std::string& error) {
  const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size()));

  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestSize = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &digestSize, EVP_sha1(), nullptr) != 1 ||
      digestSize != 20) {
    char text[256] = "unknown OpenSSL error";
    if (unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
    error = text;
    return std::nullopt;
  }

  ImageHashes hashes;
  char crcText[16];
  std::snprintf(crcText, sizeof crcText, "%08lx", static_cast<unsigned long>(crc & 0xFFFFFFFFUL));
  hashes.crc32 = crcText;
  for (unsigned int i = 0; i < digestSize; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hashes.sha1 += pair;
  }
  return hashes;
}

}  // namespace quarrow
