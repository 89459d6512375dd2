#pragma once
// MD5 (RFC 1321) of a byte string, written as 32 lower-case hexadecimal digits: the call
// signature and the upload boundary.
#include <string>
#include <string_view>

namespace api {

std::string md5Hex(std::string_view bytes);

}  // namespace api
