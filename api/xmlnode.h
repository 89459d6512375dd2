#pragma once
// A handle to one element of a parsed answer. Handles share the tree and keep it alive;
// a default-constructed handle is the empty handle, on which every lookup gives the empty
// handle, every text is absent and every count is 0.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace api {

struct XmlTree;

class XmlNode {
 public:
  XmlNode() = default;

  bool isEmpty() const { return !node_; }
  // The element's name as written in the answer ("" for the document and the empty handle).
  std::string name() const;

  // The index-th child element named `name`, compared without regard to ASCII case; a
  // prefixed element name ("fb:user") also matches by its local part.
  XmlNode child(std::string_view name, std::size_t index = 0) const;
  // The index-th child element of any name.
  XmlNode childAt(std::size_t index) const;
  // Number of child elements named `name` (same comparison as child()).
  std::size_t count(std::string_view name) const;

  // The index-th text piece: character data with references decoded (xmltext.h), trimmed
  // of space, tab, CR and LF at both ends; pieces that are only white space do not count.
  // Absent when there is no such piece, so an element with empty content has no text.
  std::optional<std::string> text(std::size_t index = 0) const;

  // Child elements + text pieces + CDATA sections + attributes.
  std::size_t size() const;

 protected:
  XmlNode(std::shared_ptr<XmlTree> tree, pugi::xml_node node)
      : tree_(std::move(tree)), node_(node) {}

 private:
  XmlNode childAfterLookup(std::string_view name, std::size_t index) const;

  std::shared_ptr<XmlTree> tree_;
  pugi::xml_node node_;
};

}  // namespace api
