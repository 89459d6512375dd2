#include "xmlnode.h"

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool isElement(const pugi::xml_node& node) { return node.type() == pugi::node_element; }

// The reader's calls are not inlined, so sibling loops make as few as they can. The null
// node that ends a walk has the type "null"; text pieces and the end have empty names, and
// elements are the only named nodes the reader keeps (no instructions, no declaration): a
// loop reads an element's name first, its type only after a match, and the type of an
// unnamed node to tell the end.
bool isEnd(pugi::xml_node_type type) { return type == pugi::node_null; }
bool isEnd(const pugi::xml_node& node) { return isEnd(node.type()); }

// The first `n` bytes of `a` and `b` alike without regard to ASCII case.
bool equalFolded(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i] && lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// `name` matches `wanted` without regard to ASCII case. Answers carry namespace declarations
// but no prefixes; should a prefixed name appear, its local part (after the last ":") still
// finds it, unless the wanted name has a prefix itself. `wanted` is not empty. Inlined into
// each sibling loop: a call's register saves cost as much as the comparison.
[[gnu::always_inline]] inline bool hasName(const char* name, std::string_view wanted) {
  const std::size_t n = wanted.size();
  std::size_t i = 0;
  while (i < n && name[i] != 0 &&
         (name[i] == wanted[i] || lowerAscii(name[i]) == lowerAscii(wanted[i])))
    ++i;
  if (i == n && name[i] == 0) return true;
  // The matched part holds no ":" when the wanted name holds none, so a separator can only
  // come after it.
  const char* colon = nullptr;
  const char* end = name + i;
  for (; *end != 0; ++end) {
    if (*end == ':') colon = end;
  }
  return colon && static_cast<std::size_t>(end - colon - 1) == n &&
         wanted.find(':') == std::string_view::npos && equalFolded(colon + 1, wanted.data(), n);
}

}  // namespace

std::string XmlNode::name() const { return node_ ? std::string(node_.name()) : std::string(); }

XmlNode XmlNode::child(std::string_view name, std::size_t index) const {
  if (name.empty()) return XmlNode();
  for (pugi::xml_node c = node_.first_child();; c = c.next_sibling()) {
    const char* cname = c.name();
    if (*cname == 0 && isEnd(c)) return XmlNode();
    if (*cname == 0 || !hasName(cname, name) || !isElement(c)) continue;
    if (index == 0) return XmlNode(tree_, c);
    --index;
  }
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
  for (pugi::xml_node c = node_.first_child();; c = c.next_sibling()) {
    const char* cname = c.name();
    if (*cname == 0 && isEnd(c)) return n;
    if (*cname != 0 && hasName(cname, name) && isElement(c)) ++n;
  }
}

XmlNode::Children XmlNode::children(std::string_view name) const {
  // The empty name finds nothing: the range walks over no node.
  return Children(tree_, name.empty() ? pugi::xml_node() : node_, std::string(name), false);
}

XmlNode::Children XmlNode::children() const { return Children(tree_, node_, std::string(), true); }

XmlNode::Children::Children(std::shared_ptr<XmlTree> tree, pugi::xml_node parent, std::string name,
                            bool anyName)
    : tree_(std::move(tree)), parent_(parent), name_(std::move(name)), anyName_(anyName) {}

bool XmlNode::Children::isStop(const pugi::xml_node& node) const {
  const char* name = node.name();
  if (*name == 0) return isEnd(node);
  return (anyName_ || hasName(name, name_)) && isElement(node);
}

XmlNode::Children XmlNode::Children::reversed() const {
  Children other = *this;
  other.backwards_ = !backwards_;
  return other;
}

pugi::xml_node XmlNode::Children::step(const pugi::xml_node& node, bool inOrder) const {
  if (inOrder != backwards_) {
    pugi::xml_node c = node ? node.next_sibling() : parent_.first_child();
    while (!isStop(c)) c = c.next_sibling();
    return c;
  }
  pugi::xml_node c = node ? node.previous_sibling() : parent_.last_child();
  while (!isStop(c)) c = c.previous_sibling();
  return c;
}

std::optional<std::string> XmlNode::text(std::size_t index) const {
  for (pugi::xml_node c = node_.first_child();; c = c.next_sibling()) {
    const pugi::xml_node_type type = c.type();
    if (isEnd(type)) return std::nullopt;
    if (type != pugi::node_pcdata) continue;
    if (index == 0) {
      if (std::optional<std::string> piece = textPiece(c.value())) return piece;
      continue;
    }
    if (isTextPiece(c.value())) --index;
  }
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
