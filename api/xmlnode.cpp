#include "xmlnode.h"

#include <cstring>

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool isElement(const pugi::xml_node& node) { return node.type() == pugi::node_element; }

// The first `n` bytes of `a` and `b` alike without regard to ASCII case.
bool equalFolded(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i] && lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// Elements are the only named nodes the reader keeps (no instructions, no declaration), so
// the name is compared first and the node type only after a match. Answers carry namespace
// declarations but no prefixes; should a prefixed name appear, its local part (after the last
// ":") still finds it, unless the wanted name has a prefix itself. With the lengths known,
// most siblings are told apart by one comparison. `wanted` is not empty. Inlined into each
// sibling loop: a call's register saves cost as much as the comparison.
[[gnu::always_inline]] inline bool hasName(const pugi::xml_node& node, std::string_view wanted) {
  const char* name = node.name();
  const std::size_t length = std::strlen(name);
  const std::size_t n = wanted.size();
  if (length == n) return equalFolded(name, wanted.data(), n) && isElement(node);
  if (length <= n || name[length - n - 1] != ':') return false;
  // A suffix that matches holds no ":" unless the wanted name does, so it is the local part.
  return wanted.find(':') == std::string_view::npos &&
         equalFolded(name + length - n, wanted.data(), n) && isElement(node);
}

}  // namespace

std::string XmlNode::name() const { return node_ ? std::string(node_.name()) : std::string(); }

XmlNode XmlNode::child(std::string_view name, std::size_t index) const {
  if (name.empty()) return XmlNode();
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (!hasName(c, name)) continue;
    if (index == 0) return XmlNode(tree_, c);
    --index;
  }
  return XmlNode();
}

XmlNode XmlNode::childAt(std::size_t index) const {
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (!isElement(c)) continue;
    if (index == 0) return XmlNode(tree_, c);
    --index;
  }
  return XmlNode();
}

std::size_t XmlNode::count(std::string_view name) const {
  std::size_t n = 0;
  if (name.empty()) return n;
  for (pugi::xml_node c = node_.first_child(); c; c = c.next_sibling()) {
    if (hasName(c, name)) ++n;
  }
  return n;
}

XmlNode::Children XmlNode::children(std::string_view name) const {
  // The empty name finds nothing: the range walks over no node.
  return Children(tree_, name.empty() ? pugi::xml_node() : node_, std::string(name), false);
}

XmlNode::Children XmlNode::children() const { return Children(tree_, node_, std::string(), true); }

XmlNode::Children::Children(std::shared_ptr<XmlTree> tree, pugi::xml_node parent, std::string name,
                            bool anyName)
    : tree_(std::move(tree)), parent_(parent), name_(std::move(name)), anyName_(anyName) {}

bool XmlNode::Children::matches(const pugi::xml_node& node) const {
  return anyName_ ? isElement(node) : hasName(node, name_);
}

pugi::xml_node XmlNode::Children::next(pugi::xml_node node) const {
  while (node && !matches(node)) node = node.next_sibling();
  return node;
}

pugi::xml_node XmlNode::Children::previous(pugi::xml_node node) const {
  while (node && !matches(node)) node = node.previous_sibling();
  return node;
}

std::optional<std::string> XmlNode::text(std::size_t index) const {
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
