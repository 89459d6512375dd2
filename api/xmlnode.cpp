#include "xmlnode.h"

#include <atomic>

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// True when the terminated text `a` is `b` without regard to ASCII case.
bool equalsIgnoreCase(const char* a, std::string_view b) {
  std::size_t i = 0;
  while (i < b.size() && a[i] != 0 && lowerAscii(a[i]) == lowerAscii(b[i])) ++i;
  return i == b.size() && a[i] == 0;
}

// Whether a handle names a node, read without a call into the shared library: sibling
// loops test it at every step. The pointer-to-member is formed through a derived class,
// which may name the protected member.
struct NodeRoot : pugi::xml_node {
  static constexpr pugi::xml_node_struct* pugi::xml_node::*kRoot = &NodeRoot::_root;
};

bool present(const pugi::xml_node& node) { return node.*NodeRoot::kRoot != nullptr; }

std::atomic<std::uint64_t> g_treeSerials{0};
thread_local XmlLookup t_lastLookup;
thread_local XmlFields t_lastFields;

// True when `a` begins with `b` without regard to ASCII case.
bool equalFolded(const char* a, std::string_view b) {
  std::size_t i = 0;
  while (i < b.size() && a[i] == b[i]) ++i;
  while (i < b.size() && lowerAscii(a[i]) == lowerAscii(b[i])) ++i;
  return i == b.size();
}

// Fills `fields` with the element children of `parent`, or marks it as a list.
void measure(const pugi::xml_node& parent, XmlFields& fields) {
  fields.measured = true;
  fields.tooMany = false;
  fields.size = 0;
  for (pugi::xml_node c = parent.first_child(); present(c); c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (fields.size == fields.elements.size()) {
      fields.tooMany = true;
      return;
    }
    const char* name = c.name();
    std::uint32_t size = 0;
    std::uint32_t local = 0;
    for (; name[size] != 0; ++size) {
      if (name[size] == ':') local = size + 1;
    }
    fields.elements[fields.size++] = {c, name, size, local};
  }
}

// The first measured element named `name` (same rule as NameQuery), or the null node.
pugi::xml_node findMeasured(const XmlFields& fields, std::string_view name) {
  for (std::size_t k = 0; k < fields.size; ++k) {
    const XmlFields::Element& e = fields.elements[k];
    if (e.size == name.size() && equalFolded(e.name, name)) return e.node;
    if (e.local != 0 && e.size - e.local == name.size() &&
        name.find(':') == std::string_view::npos && equalFolded(e.name + e.local, name)) {
      return e.node;
    }
  }
  return pugi::xml_node();
}

// A wanted element name.
class NameQuery {
 public:
  explicit NameQuery(std::string_view name) : name_(name) {}

  // Elements are the only named nodes the reader keeps (no instructions, no declaration),
  // so the name is compared first and the node type only after a match.
  bool matches(const pugi::xml_node& node) const {
    if (name_.empty()) return false;
    const char* name = node.name();
    // Answers spell names as the readers ask for them, so bytes are compared as they are
    // first and folded only from the first difference.
    std::size_t i = 0;
    while (i < name_.size() && name[i] != 0 && name[i] == name_[i]) ++i;
    while (i < name_.size() && name[i] != 0 && lowerAscii(name[i]) == lowerAscii(name_[i])) ++i;
    if (i == name_.size() && name[i] == 0) return node.type() == pugi::node_element;
    // Answers carry namespace declarations but no prefixes; should a prefixed name appear,
    // its local part still finds it, unless the wanted name has a prefix itself. When the
    // wanted name has none, the matched part holds no ":", so a separator can only come
    // after it.
    const char* colon = nullptr;
    for (const char* c = name + i; *c != 0; ++c) {
      if (*c == ':') colon = c;
    }
    if (!colon || name_.find(':') != std::string_view::npos) return false;
    return equalsIgnoreCase(colon + 1, name_) && node.type() == pugi::node_element;
  }

 private:
  std::string_view name_;
};

bool isElement(const pugi::xml_node& node) { return node.type() == pugi::node_element; }

pugi::xml_node nextMatch(pugi::xml_node node, const NameQuery& query) {
  for (node = node.next_sibling(); present(node); node = node.next_sibling()) {
    if (query.matches(node)) return node;
  }
  return node;
}

pugi::xml_node previousMatch(pugi::xml_node node, const NameQuery& query) {
  for (node = node.previous_sibling(); present(node); node = node.previous_sibling()) {
    if (query.matches(node)) return node;
  }
  return node;
}

}  // namespace

XmlTree::XmlTree() : serial(g_treeSerials.fetch_add(1, std::memory_order_relaxed) + 1) {}

std::string XmlNode::name() const { return node_ ? std::string(node_.name()) : std::string(); }

XmlNode XmlNode::child(std::string_view name, std::size_t index) const {
  if (!present(node_)) return XmlNode();
  if (index > 0) return childAfterLookup(name, index);
  if (name.empty()) return XmlNode();
  XmlFields& fields = t_lastFields;
  pugi::xml_node_struct* const parent = node_.*NodeRoot::kRoot;
  if (fields.serial == tree_->serial && fields.parent == parent) {
    if (!fields.measured) measure(node_, fields);
    if (!fields.tooMany) {
      const pugi::xml_node found = findMeasured(fields, name);
      return present(found) ? XmlNode(tree_, found) : XmlNode();
    }
  } else {
    fields.serial = tree_->serial;
    fields.parent = parent;
    fields.measured = false;
  }
  const NameQuery query(name);
  for (pugi::xml_node c = node_.first_child(); present(c); c = c.next_sibling()) {
    if (query.matches(c)) return XmlNode(tree_, c);
  }
  return XmlNode();
}

XmlNode XmlNode::childAfterLookup(std::string_view name, std::size_t index) const {
  XmlLookup& last = t_lastLookup;
  const NameQuery query(name);
  pugi::xml_node found;
  std::size_t at = 0;
  pugi::xml_node_struct* const parent = node_.internal_object();
  if (last.serial == tree_->serial && last.parent == parent && last.name == name) {
    found = last.found;
    at = last.index;
  } else {
    found = node_.first_child();
    while (present(found) && !query.matches(found)) found = found.next_sibling();
    at = 0;
  }
  while (present(found) && at < index) {
    found = nextMatch(found, query);
    ++at;
  }
  while (present(found) && at > index) {
    found = previousMatch(found, query);
    --at;
  }
  if (!present(found)) return XmlNode();

  last.serial = tree_->serial;
  last.parent = parent;
  last.name.assign(name);
  last.index = index;
  last.found = found;
  return XmlNode(tree_, found);
}

XmlNode XmlNode::childAt(std::size_t index) const {
  if (!present(node_)) return XmlNode();
  for (pugi::xml_node c = node_.first_child(); present(c); c = c.next_sibling()) {
    if (!isElement(c)) continue;
    if (index == 0) return XmlNode(tree_, c);
    --index;
  }
  return XmlNode();
}

std::size_t XmlNode::count(std::string_view name) const {
  std::size_t n = 0;
  if (!present(node_)) return n;
  const NameQuery query(name);
  for (pugi::xml_node c = node_.first_child(); present(c); c = c.next_sibling()) {
    if (query.matches(c)) ++n;
  }
  return n;
}

std::optional<std::string> XmlNode::text(std::size_t index) const {
  if (!present(node_)) return std::nullopt;
  for (pugi::xml_node c = node_.first_child(); present(c); c = c.next_sibling()) {
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
  if (!present(node_)) return 0;
  std::size_t n = 0;
  for (pugi::xml_node c = node_.first_child(); present(c); c = c.next_sibling()) {
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
