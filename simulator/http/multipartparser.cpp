#include "simulator/http/multipartparser.h"

#include "simulator/http/textcase.h"

namespace sim {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Reads `name=value` or `name="quoted value"` parameters after the first ";" of a header
// value, calling `found` for each.
template <typename Found>
void forEachParameter(std::string_view value, Found found) {
  size_t i = value.find(';');
  while (i != std::string_view::npos && i < value.size()) {
    ++i;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    const size_t eq = value.find('=', i);
    if (eq == std::string_view::npos) return;
    const std::string_view name = trim(value.substr(i, eq - i));
    std::string parameter;
    size_t j = eq + 1;
    if (j < value.size() && value[j] == '"') {
      ++j;
      while (j < value.size() && value[j] != '"') {
        if (value[j] == '\\' && j + 1 < value.size()) ++j;
        parameter += value[j++];
      }
      if (j < value.size()) ++j;  // the closing quote
      i = value.find(';', j);
    } else {
      const size_t end = value.find(';', j);
      parameter = trim(value.substr(j, end == std::string_view::npos ? end : end - j));
      i = end;
    }
    found(name, parameter);
  }
}

bool parseHeaders(std::string_view block, MultipartPart& part, std::string& error) {
  size_t start = 0;
  while (start < block.size()) {
    size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = block.substr(start, end - start);
    start = end + 2;
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      error = "part header without a colon";
      return false;
    }
    const std::string_view name = trim(line.substr(0, colon));
    const std::string_view value = trim(line.substr(colon + 1));
    if (equalsIgnoringCase(name, "Content-Disposition")) {
      forEachParameter(value, [&](std::string_view key, const std::string& v) {
        if (equalsIgnoringCase(key, "name")) {
          part.name = v;
        } else if (equalsIgnoringCase(key, "filename")) {
          part.filename = v;
          part.hasFilename = true;
        }
      });
    } else if (equalsIgnoringCase(name, "Content-Type")) {
      part.contentType = value;
    }
  }
  return true;
}

}  // namespace

std::string MultipartParser::boundaryOf(std::string_view contentType) {
  std::string boundary;
  forEachParameter(contentType, [&](std::string_view key, const std::string& value) {
    if (equalsIgnoringCase(key, "boundary")) boundary = value;
  });
  return boundary;
}

std::optional<std::vector<MultipartPart>> MultipartParser::parse(std::string_view body,
                                                                 std::string_view boundary,
                                                                 std::string& error) {
  if (boundary.empty()) {
    error = "no boundary";
    return std::nullopt;
  }
  const std::string delimiter = "--" + std::string(boundary);
  const std::string nextDelimiter = "\r\n" + delimiter;

  // The first delimiter opens the body or follows a preamble line.
  size_t pos;
  if (startsWith(body, delimiter)) {
    pos = delimiter.size();
  } else {
    const size_t found = body.find(nextDelimiter);
    if (found == std::string_view::npos) {
      error = "no delimiter";
      return std::nullopt;
    }
    pos = found + nextDelimiter.size();
  }

  std::vector<MultipartPart> parts;
  for (;;) {
    if (body.substr(pos, 2) == "--") return parts;  // the close delimiter
    while (pos < body.size() && (body[pos] == ' ' || body[pos] == '\t')) ++pos;
    if (body.substr(pos, 2) != "\r\n") {
      error = "delimiter not followed by a line end";
      return std::nullopt;
    }
    pos += 2;

    MultipartPart part;
    size_t dataStart;
    if (body.substr(pos, 2) == "\r\n") {
      dataStart = pos + 2;  // a part without headers
    } else {
      const size_t headersEnd = body.find("\r\n\r\n", pos);
      if (headersEnd == std::string_view::npos) {
        error = "part headers not closed by a blank line";
        return std::nullopt;
      }
      if (!parseHeaders(body.substr(pos, headersEnd - pos), part, error)) return std::nullopt;
      dataStart = headersEnd + 4;
    }
    const size_t dataEnd = body.find(nextDelimiter, dataStart);
    if (dataEnd == std::string_view::npos) {
      error = "part not closed by a delimiter";
      return std::nullopt;
    }
    part.data = body.substr(dataStart, dataEnd - dataStart);
    parts.push_back(std::move(part));
    pos = dataEnd + nextDelimiter.size();
  }
}

}  // namespace sim
