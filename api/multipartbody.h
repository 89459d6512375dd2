#pragma once
// The pieces of the photo upload's multipart request.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace api {

// `value` written in base 20: digits "0"-"9" then "a"-"j", no sign, no leading zeros.
std::string toBase20(unsigned long value);

// MD5 hex of the base-20 text of year + day of month + hour + second of `localTime`.
std::string uploadBoundary(const std::tm& localTime);

// The first piece of `path` that contains ".jpg" (exact lower case). Pieces are split at
// every "\" and, since paths here use "/", at every "/" as well. nullopt when none does.
std::optional<std::string> uploadFileName(std::string_view path);

struct MultipartRequest {
  std::string body;
  std::vector<std::string> headers;
};

// Body and header lines of the upload: one part per "name=value" entry in the order given
// (entries without "=" are skipped), then the file part, the picture bytes unchanged and the
// closing boundary. In the file part's quoted file name `"` and `\` are escaped with a
// backslash; a name with a line break must not be given. The Content-Length header equals
// body.size().
MultipartRequest buildMultipartRequest(const std::vector<std::string>& entries,
                                       const std::string& boundary, const std::string& fileName,
                                       std::string_view picture);

}  // namespace api
