#include "multipartbody.h"

#include "api/md5hex.h"

namespace api {

std::string toBase20(unsigned long value) {
  static constexpr char kDigits[] = "0123456789abcdefghij";
  std::string reversed;
  do {
    reversed.push_back(kDigits[value % 20]);
    value /= 20;
  } while (value != 0);
  return std::string(reversed.rbegin(), reversed.rend());
}

std::string uploadBoundary(const std::tm& localTime) {
  const long sum =
      (localTime.tm_year + 1900L) + localTime.tm_mday + localTime.tm_hour + localTime.tm_sec;
  return md5Hex(toBase20(static_cast<unsigned long>(sum < 0 ? 0 : sum)));
}

std::optional<std::string> uploadFileName(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view piece = path.substr(start, end - start);
    if (piece.find(".jpg") != std::string_view::npos) return std::string(piece);
    start = end + 1;
  }
  return std::nullopt;
}

namespace {

std::string quotedText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

MultipartRequest buildMultipartRequest(const std::vector<std::string>& entries,
                                       const std::string& boundary, const std::string& fileName,
                                       std::string_view picture) {
  std::vector<std::string> parts;
  parts.push_back("--" + boundary);
  for (const std::string& entry : entries) {
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    parts.push_back("Content-Disposition: form-data; name=\"" + entry.substr(0, eq) + "\"\r\n\r\n" +
                    entry.substr(eq + 1) + "\r\n--" + boundary);
  }
  parts.push_back("Content-Disposition: form-data; filename=\"" + quotedText(fileName) +
                  "\"\r\nContent-Type: image/jpg\r\n");

  MultipartRequest request;
  for (const std::string& part : parts) request.body.append(part).append("\r\n");
  request.body.append(picture);
  request.body.append("\r\n--").append(boundary).append("--");

  request.headers = {
      "User-Agent: Veltrana", "Content-Type: multipart/form-data; boundary=" + boundary,
      "MIME-version: 1.0",    "Content-Length: " + std::to_string(request.body.size()),
      "Keep-Alive: 300",      "Connection: keep-alive",
  };
  return request;
}

}  // namespace api
