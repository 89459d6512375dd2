#include "md5hex.h"

#include <openssl/evp.h>

namespace api {

std::string md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &digestLength, EVP_md5(), nullptr) != 1) {
    return std::string();
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(size_t{digestLength} * 2);
  for (unsigned int i = 0; i < digestLength; ++i) {
    hex.push_back(kHex[digest[i] >> 4]);
    hex.push_back(kHex[digest[i] & 0x0f]);
  }
  return hex;
}

}  // namespace api
