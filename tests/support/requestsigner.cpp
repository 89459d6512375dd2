#include "requestsigner.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>

namespace testsupport {

std::string md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

std::string clientSignature(const Params& params, const std::string& secret) {
  std::vector<std::string> entries;
  for (const auto& [name, value] : params) entries.push_back(name + "=" + value);
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
  });
  std::string text;
  for (const std::string& e : entries) text += e;
  return md5Hex(text + secret);
}

}  // namespace testsupport
