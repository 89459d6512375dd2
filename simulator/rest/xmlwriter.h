#pragma once
// Writes the REST answers: two blanks of indent per level, one element per line, empty values
// as self-closing elements, texts escaped as the real server escaped them ("&amp;", "&lt;",
// "&gt;", "&quot;"; the apostrophe and non-ASCII bytes stay as they are; see markupescape.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class XmlWriter {
 public:
  explicit XmlWriter(std::string& out) : out_(out) {}

  void declaration();
  // `attributes` are written as given, after a blank ("list=\"true\"").
  void open(std::string_view name, std::string_view attributes = {});
  void close();
  // <name>text</name>, or <name/> for an empty text.
  void element(std::string_view name, std::string_view text);
  void element(std::string_view name, int64_t number);
  // A root element whose only content is its text (auth_createToken_response and the like).
  void textRoot(std::string_view name, std::string_view attributes, std::string_view text);
  void empty(std::string_view name, std::string_view attributes = {});

 private:
  void indent();
  void startTag(std::string_view name, std::string_view attributes);

  std::string& out_;
  std::vector<std::string> open_;
};

}  // namespace sim
