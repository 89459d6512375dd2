#include "simulator/site/html.h"

#include "simulator/http/markupescape.h"

namespace sim {

std::string Html::escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text, Markup::Html);
  return out;
}

std::string Html::page(std::string_view title, std::string_view body) {
  std::string out =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  out += escape(title);
  out +=
      "</title>\n<style>body{font-family:sans-serif;margin:6px;font-size:14px}"
      "h1{font-size:16px;background:#3b5998;color:#fff;padding:4px}"
      "li{margin:3px 0}</style>\n</head>\n<body>\n<h1>";
  out += escape(title);
  out += "</h1>\n";
  out += body;
  out += "\n</body>\n</html>\n";
  return out;
}

}  // namespace sim
