#pragma once
// The parsed tree that every XmlNode handle of one answer shares (internal to api/).
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

namespace api {

struct XmlTree {
  pugi::xml_document document;
  // The reader expanded the references while parsing (responsedocument.cpp): the texts are
  // as they will be read, only their white space is left to trim.
  bool referencesExpanded = false;
  // The answer holds no CDATA section, so the first text node below an element is the
  // first character data.
  bool noCdata = false;

  // Otherwise, the text piece of a character-data node that holds a reference, decoded on its first
  // read and kept for the tree's life, so that a view of it outlives the call that read it.
  // Handles of one tree may be read on several threads; the lock covers only these pieces.
  std::optional<std::string_view> decodedPiece(const pugi::xml_node& text,
                                               std::string_view trimmed);

 private:
  std::mutex decodedLock_;
  std::unordered_map<const void*, std::optional<std::string>> decoded_;
};

}  // namespace api
