#include "xmlnode.h"

#include <cstring>

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool equalsIgnoreCase(const char* a, std::size_t aLength, std::string_view b) {
  if (aLength != b.size()) return false;
  for (std::size_t i = 0; i < aLength; ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// A wanted element name, prepared once per lookup.
class NameQuery {
 public:
  explicit NameQuery(std::string_view name)
      : name_(name), prefixed_(name.find(':') != std::string_view::npos) {}

  // Elements are the only named nodes the reader keeps (no instructions, no declaration),
  // so the name is compared first and the node type only after a match.
  bool matches(const pugi::xml_node& node) const {
    if (name_.empty()) return false;
    const char* name = node.name();
    std::size_t i = 0;
    while (i < name_.size() && name[i] != 0 && lowerAscii(name[i]) == lowerAscii(name_[i])) ++i;
    if (i == name_.size() && name[i] == 0) return node.type() == pugi::node_element;
    // Answers carry namespace declarations but no prefixes; should a prefixed name appear,
    // its local part still finds it. The matched part holds no ":", so a prefix separator
    // can only come after it.
    if (prefixed_) return false;
    const char* colon = std::strrchr(name + i, ':');
    return colon && equalsIgnoreCase(colon + 1, std::strlen(colon + 1), name_) &&
           node.type() == pugi::node_element;
  }

 private:
  std::string_view name_;
  bool prefixed_;
};

bool isElement(const pugi::xml_node& node) { return node.type() == pugi::node_element; }

pugi::xml_node nextMatch(pugi::xml_node node, const NameQuery& query) {
  for (node = node.next_sibling(); node; node = node.next_sibling()) {
    if (query.matches(node)) return node;
  }
  return node;
}

pugi::xml_node previousMatch(pugi::xml_node node, const NameQuery& query) {
  for (node = node.previous_sibling(); node; node = node.previous_sibling()) {
    if (query.matches(node)) return node;
  }
  return node;
}

}  // namespace

std::string XmlNode::name() const { return node_ ? std::string(node_.name()) : std::string(); }

XmlNode XmlNode::child(std::string_view name, std::size_t index) const {
  if (!node_) return XmlNode();
  if (index > 0) return childAfterLookup(name, index);
  const NameQuery query(name);
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (query.matches(c)) return XmlNode(tree_, c);
  }
  return XmlNode();
}

XmlNode XmlNode::childAfterLookup(std::string_view name, std::size_t index) const {
  std::lock_guard<std::mutex> guard(tree_->lookupLock);
  XmlTree::Lookup& last = tree_->lastLookup;

  const NameQuery query(name);
  pugi::xml_node found;
  std::size_t at = 0;
  if (last.parent == node_.internal_object() && last.found && last.name == name) {
    found = last.found;
    at = last.index;
  } else {
    found = node_.first_child();
    while (found && !query.matches(found)) found = found.next_sibling();
    at = 0;
  }
  while (found && at < index) {
    found = nextMatch(found, query);
    ++at;
  }
  while (found && at > index) {
    found = previousMatch(found, query);
    --at;
  }
  if (!found) return XmlNode();

  last.parent = node_.internal_object();
  last.name.assign(name);
  last.index = index;
  last.found = found;
  return XmlNode(tree_, found);
}

XmlNode XmlNode::childAt(std::size_t index) const {
  if (!node_) return XmlNode();
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (!isElement(c)) continue;
    if (index == 0) return XmlNode(tree_, c);
    --index;
  }
  return XmlNode();
}

std::size_t XmlNode::count(std::string_view name) const {
  std::size_t n = 0;
  if (!node_) return n;
  const NameQuery query(name);
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (query.matches(c)) ++n;
  }
  return n;
}

std::optional<std::string> XmlNode::text(std::size_t index) const {
  if (!node_) return std::nullopt;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_pcdata) continue;
    if (index == 0) {
      if (std::optional<std::string> piece = textPiece(c.value())) return piece;
      continue;
    }
    if (isTextPiece(c.value())) --index;
  }
  return std::nullopt;
}

std::size_t XmlNode::size() const {
  if (!node_) return 0;
  std::size_t n = 0;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    switch (c.type()) {
      case pugi::node_element:
      case pugi::node_cdata:
        ++n;
        break;
      case pugi::node_pcdata:
        if (isTextPiece(c.value())) ++n;
        break;
      default:
        break;
    }
  }
  for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute()) ++n;
  return n;
}

}  // namespace api
