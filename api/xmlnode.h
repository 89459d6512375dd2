#pragma once
// A handle to one element of a parsed answer. Handles share the tree and keep it alive;
// a default-constructed handle is the empty handle, on which every lookup gives the empty
// handle, every text is absent, every count is 0 and every range is empty.
#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include <pugixml.hpp>

namespace api {

struct XmlTree;

class XmlNode {
 public:
  class Children;

  XmlNode() = default;
  XmlNode(const XmlNode&) = default;
  XmlNode& operator=(const XmlNode&) = default;
  // A handle moved from is the empty handle: without its share of the tree, its element
  // could be read after the tree is gone.
  XmlNode(XmlNode&& other) noexcept
      : tree_(std::move(other.tree_)), node_(std::exchange(other.node_, pugi::xml_node())) {}
  XmlNode& operator=(XmlNode&& other) noexcept {
    tree_ = std::move(other.tree_);
    node_ = std::exchange(other.node_, pugi::xml_node());
    return *this;
  }
  ~XmlNode() = default;

  bool isEmpty() const { return !node_; }
  // The element's name as written in the answer ("" for the document and the empty handle).
  std::string name() const;

  // The index-th child element named `name`, compared without regard to ASCII case; a
  // prefixed element name ("fb:user") also matches by its local part. Linear in `index`:
  // walks over the rows use children().
  XmlNode child(std::string_view name, std::size_t index = 0) const&;
  // The same, handing this handle's share of the tree on: a chain of lookups on a temporary
  // ("user.child(a).child(b)") shares the tree once. This handle is left empty.
  XmlNode child(std::string_view name, std::size_t index = 0) &&;
  // The index-th child element of any name.
  XmlNode childAt(std::size_t index) const;
  // Number of child elements named `name` (same comparison as child()).
  std::size_t count(std::string_view name) const;

  // The child elements named `name` (same comparison as child()), in document order; walked
  // from the last with children(name).reversed().
  Children children(std::string_view name) const;
  // Every child element, in document order.
  Children children() const;

  // The index-th text piece: character data with references decoded (xmltext.h), trimmed
  // of space, tab, CR and LF at both ends; pieces that are only white space do not count.
  // Absent when there is no such piece, so an element with empty content has no text.
  std::optional<std::string> text(std::size_t index = 0) const;
  // The same piece as a view into the answer, valid while a handle of the answer lives (a
  // piece with references is decoded once, on its first read).
  std::optional<std::string_view> textView(std::size_t index = 0) const;
  // child(name).textView() without making the child's handle: the walks over thousands of
  // rows read their fields this way.
  std::optional<std::string_view> childText(std::string_view name) const;
  // texts[i] = childText(names[i]) for each name, in one walk over the children: a row's
  // fields cost one look at each child. Spans of the same size.
  void childTexts(std::span<const std::string_view> names,
                  std::span<std::optional<std::string_view>> texts) const;
  // The same walk, which also finds the first child element named `groupName` (the empty
  // handle when there is none): a row's fields and its group in one look at each child.
  XmlNode childTexts(std::span<const std::string_view> names,
                     std::span<std::optional<std::string_view>> texts,
                     std::string_view groupName) const;

  // Child elements + text pieces + CDATA sections + attributes.
  std::size_t size() const;

 protected:
  XmlNode(std::shared_ptr<XmlTree> tree, pugi::xml_node node)
      : tree_(std::move(tree)), node_(node) {}

 private:
  std::shared_ptr<XmlTree> tree_;
  pugi::xml_node node_;
};

// The matching child elements of one element, in document order or, reversed(), from the
// last to the first. The range holds the tree; its iterators refer to the range, which must
// outlive them, and a step copies nothing: only the handle an iterator gives shares the tree.
class XmlNode::Children {
 public:
  class iterator {
   public:
    using value_type = XmlNode;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::bidirectional_iterator_tag;

    iterator() = default;

    XmlNode operator*() const { return XmlNode(range_->tree_, node_); }
    iterator& operator++() {
      node_ = range_->step(node_, true);
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    // From the end, the last element of the walk.
    iterator& operator--() {
      node_ = range_->step(node_, false);
      return *this;
    }
    iterator operator--(int) {
      iterator before = *this;
      --*this;
      return before;
    }
    friend bool operator==(const iterator& a, const iterator& b) { return a.node_ == b.node_; }

   private:
    friend class Children;
    iterator(const Children* range, pugi::xml_node node) : range_(range), node_(node) {}

    const Children* range_ = nullptr;
    pugi::xml_node node_;
  };

  iterator begin() const { return iterator(this, step(pugi::xml_node(), true)); }
  iterator end() const { return iterator(this, pugi::xml_node()); }

  // The same elements the other way round. A range of its own (std::views::reverse is not
  // usable with every compiler the build supports), and one step per element.
  Children reversed() const;

 private:
  friend class XmlNode;
  Children(std::shared_ptr<XmlTree> tree, pugi::xml_node parent, std::string name, bool anyName);

  // The element after `node` in the walk's order (or before it, against the order); from the
  // null node, the first (or last); the null node when there is none.
  pugi::xml_node step(const pugi::xml_node& node, bool inOrder) const;
  // A match, or the null node that ends the walk.
  bool isStop(const pugi::xml_node& node) const;

  std::shared_ptr<XmlTree> tree_;
  pugi::xml_node parent_;
  // Owned, so a range over a temporary name stays sound.
  std::string name_;
  bool anyName_;
  bool backwards_ = false;
};

}  // namespace api
