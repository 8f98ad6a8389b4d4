// MAME-style identification of an image, with zlib's CRC32 and OpenSSL's SHA-1.
#include "Identification.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>

#include "ImageFile.h"

namespace quarrow::cli {

std::optional<std::string> MameIdentification(const PromImage& image, std::string& error) {
  // MAME's ROM definitions identify an RP5H01 by the bytes of its own file layout.
  const ImageFileBytes bytes = EncodeImageFile(image, ImageFileLayout::Mame);

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

  char crcText[16];
  std::snprintf(crcText, sizeof crcText, "%08lx", static_cast<unsigned long>(crc & 0xFFFFFFFFUL));
  std::string result = "CRC(" + std::string(crcText) + ") SHA1(";
  for (unsigned int i = 0; i < digestSize; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    result += pair;
  }
  result += ")";
  return result;
}

}  // namespace quarrow::cli
