#include "simulator/rest/callsignature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <vector>

namespace sim {

std::string CallSignature::md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0F];
  }
  return hex;
}

std::string CallSignature::compute(const FormFields& fields, std::string_view secret) {
  std::vector<std::string> entries;
  for (const FormField& f : fields)
    if (f.name != "sig") entries.push_back(f.name + "=" + f.value);
  // std::string compares through char_traits<char>, which orders bytes as unsigned values.
  std::sort(entries.begin(), entries.end());
  std::string text;
  for (const std::string& e : entries) text += e;
  text += secret;
  return md5Hex(text);
}

}  // namespace sim
