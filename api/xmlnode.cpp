#include "xmlnode.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool isElement(const pugi::xml_node& node) { return node.type() == pugi::node_element; }

// The reader's calls are not inlined, so sibling loops make as few as they can. The null
// node that ends a walk has the type "null"; text pieces and the end have empty names, and
// elements are the only named nodes the reader keeps (no instructions, no declaration): a
// loop reads a node's name, and the type only of an unnamed node, to tell the end.
bool isEnd(pugi::xml_node_type type) { return type == pugi::node_null; }
bool isEnd(const pugi::xml_node& node) { return isEnd(node.type()); }

// The first `n` bytes of `a` and `b` alike without regard to ASCII case.
[[gnu::always_inline]] inline bool equalFolded(const char* a, const char* b, std::size_t n) {
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

// One child's name, measured once, then held against several wanted names by the rule of
// hasName(): most comparisons end on the length.
class SeenName {
 public:
  explicit SeenName(const char* name) : name_(name) {
    const char* end = name;
    for (; *end != 0; ++end) {
      if (*end == ':') local_ = end + 1;
    }
    size_ = static_cast<std::size_t>(end - name);
    if (local_) localSize_ = static_cast<std::size_t>(end - local_);
  }

  [[gnu::always_inline]] bool matches(std::string_view wanted) const {
    const std::size_t n = wanted.size();
    if (n == size_ && equalFolded(name_, wanted.data(), n)) return true;
    return local_ && n == localSize_ && wanted.find(':') == std::string_view::npos &&
           equalFolded(local_, wanted.data(), n);
  }

 private:
  const char* name_;
  std::size_t size_ = 0;
  const char* local_ = nullptr;
  std::size_t localSize_ = 0;
};

// The index-th child element of `parent` that hasName() finds, or the null node. With the
// reader's options the only named nodes are elements (no instructions, no declaration, no
// document type), so a name match needs no look at the node's type.
pugi::xml_node findChild(const pugi::xml_node& parent, std::string_view name, std::size_t index) {
  if (name.empty()) return pugi::xml_node();
  for (pugi::xml_node c = parent.first_child();; c = c.next_sibling()) {
    const char* cname = c.name();
    if (*cname == 0) {
      if (isEnd(c)) return c;
      continue;
    }
    if (!hasName(cname, name)) continue;
    if (index == 0) return c;
    --index;
  }
}

// The piece of one character-data node (xmltext.h): a view of the answer's own bytes unless
// it holds a reference.
std::optional<std::string_view> pieceOf(XmlTree& tree, const pugi::xml_node& text) {
  const std::string_view trimmed = trimSpace(text.value());
  if (trimmed.empty()) return std::nullopt;
  if (tree.referencesExpanded || trimmed.find('&') == std::string_view::npos) return trimmed;
  return tree.decodedPiece(text, trimmed);
}

// The index-th text piece below `node`. The empty handle has no child, so no tree is needed.
std::optional<std::string_view> pieceBelow(XmlTree* tree, const pugi::xml_node& node,
                                           std::size_t index) {
  // The common case in one call of the reader: the first piece of an answer whose texts
  // are all expanded character data.
  if (index == 0 && tree && tree->referencesExpanded && tree->noCdata) {
    const std::string_view first = trimSpace(node.child_value());
    if (!first.empty()) return first;
  }
  for (pugi::xml_node c = node.first_child();; c = c.next_sibling()) {
    const pugi::xml_node_type type = c.type();
    if (isEnd(type)) return std::nullopt;
    if (type != pugi::node_pcdata) continue;
    if (const std::optional<std::string_view> piece = pieceOf(*tree, c)) {
      if (index == 0) return piece;
      --index;
    }
  }
}

}  // namespace

std::optional<std::string_view> XmlTree::decodedPiece(const pugi::xml_node& text,
                                                      std::string_view trimmed) {
  const std::lock_guard lock(decodedLock_);
  const auto [it, added] = decoded_.try_emplace(text.internal_object());
  if (added) it->second = textPiece(trimmed);
  if (!it->second) return std::nullopt;
  return std::string_view(*it->second);
}

std::string XmlNode::name() const { return node_ ? std::string(node_.name()) : std::string(); }

XmlNode XmlNode::child(std::string_view name, std::size_t index) const& {
  const pugi::xml_node c = findChild(node_, name, index);
  return c ? XmlNode(tree_, c) : XmlNode();
}

XmlNode XmlNode::child(std::string_view name, std::size_t index) && {
  const pugi::xml_node c = findChild(node_, name, index);
  XmlNode moved = std::move(*this);
  return c ? XmlNode(std::move(moved.tree_), c) : XmlNode();
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
    if (*cname != 0 && hasName(cname, name)) ++n;
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
  return anyName_ || hasName(name, name_);
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
  if (const std::optional<std::string_view> piece = textView(index)) return std::string(*piece);
  return std::nullopt;
}

std::optional<std::string_view> XmlNode::textView(std::size_t index) const {
  return pieceBelow(tree_.get(), node_, index);
}

std::optional<std::string_view> XmlNode::childText(std::string_view name) const {
  return pieceBelow(tree_.get(), findChild(node_, name, 0), 0);
}

void XmlNode::childTexts(std::span<const std::string_view> names,
                         std::span<std::optional<std::string_view>> texts) const {
  (void)childTexts(names, texts, std::string_view());
}

XmlNode XmlNode::childTexts(std::span<const std::string_view> names,
                            std::span<std::optional<std::string_view>> texts,
                            std::string_view groupName) const {
  const std::size_t n = std::min(names.size(), texts.size());
  for (std::size_t i = 0; i < n; ++i) texts[i].reset();
  // The names still looked for, one bit each, the group's last; longer lists than a row
  // has are looked up one by one.
  constexpr std::size_t kMaxNames = 63;
  if (n > kMaxNames) {
    for (std::size_t i = 0; i < n; ++i) texts[i] = childText(names[i]);
    return child(groupName);
  }
  const std::uint64_t groupBit = std::uint64_t{1} << n;
  std::uint64_t open = groupName.empty() ? 0 : groupBit;
  for (std::size_t i = 0; i < n; ++i) {
    if (!names[i].empty()) open |= std::uint64_t{1} << i;
  }
  // The first piece in one call of the reader, as pieceBelow() takes it, without its checks
  // at every field.
  const bool direct = tree_ && tree_->referencesExpanded && tree_->noCdata;
  pugi::xml_node group;
  for (pugi::xml_node c = node_.first_child(); open != 0; c = c.next_sibling()) {
    const char* cname = c.name();
    if (*cname == 0) {
      if (isEnd(c)) break;
      continue;
    }
    const SeenName seen(cname);
    if ((open & groupBit) != 0 && seen.matches(groupName)) {
      group = c;
      open &= ~groupBit;
    }
    for (std::uint64_t rest = open & (groupBit - 1); rest != 0; rest &= rest - 1) {
      const auto i = static_cast<std::size_t>(std::countr_zero(rest));
      if (!seen.matches(names[i])) continue;
      open &= ~(std::uint64_t{1} << i);
      if (direct) {
        const std::string_view first = trimSpace(c.child_value());
        if (!first.empty()) {
          texts[i] = first;
          continue;
        }
      }
      texts[i] = pieceBelow(tree_.get(), c, 0);
    }
  }
  return group ? XmlNode(tree_, group) : XmlNode();
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
        if (pieceOf(*tree_, c)) ++n;
        break;
      default:
        break;
    }
  }
  for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute()) ++n;
  return n;
}

}  // namespace api
