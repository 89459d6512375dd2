#pragma once
// Splits a multipart/form-data body into its parts, byte-exact: a part's data is everything
// between the blank line after its headers and the CR LF before the next delimiter, NUL bytes
// and CR LF pairs included.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct MultipartPart {
  std::string name;      // the name attribute; may be empty (the upload's file part has none)
  std::string filename;  // the filename attribute
  bool hasFilename = false;
  std::string contentType;  // the part's Content-Type header, if any
  std::string data;
};

class MultipartParser {
 public:
  // The boundary parameter of a Content-Type value; empty when there is none.
  static std::string boundaryOf(std::string_view contentType);
  // The parts, or nullopt with a reason when the body is not well formed.
  static std::optional<std::vector<MultipartPart>> parse(std::string_view body,
                                                         std::string_view boundary,
                                                         std::string& error);
};

}  // namespace sim
