#pragma once
// The parsed tree that every XmlNode handle of one answer shares (internal to api/).
#include <cstddef>
#include <cstdint>
#include <array>
#include <string>

#include <pugixml.hpp>

namespace api {

struct XmlTree {
  XmlTree();

  pugi::xml_document document;
  // Never reused by another tree, so a lookup remembered for this one cannot be taken for
  // another's that was later allocated at the same address.
  const std::uint64_t serial;
};

// A thread's last indexed child lookup. Rows are read by index one after another (forwards
// or backwards), so continuing from the previous hit keeps a walk over n rows linear instead
// of quadratic. One per thread, as handles to one tree may be used on several threads; it is
// only followed while the caller holds the tree that `serial` names.
struct XmlLookup {
  std::uint64_t serial = 0;
  pugi::xml_node_struct* parent = nullptr;
  std::string name;
  std::size_t index = 0;
  pugi::xml_node found;
};

// The element children of the parent a thread last read several fields from, their names
// measured once. A row's fields are looked up one after another on the same parent; with
// the lengths at hand, most names are told apart by one comparison and without a call into
// the reader.
struct XmlFields {
  struct Element {
    pugi::xml_node node;
    const char* name;
    std::uint32_t size;
    // Where the part after the last ":" begins; 0 without a ":".
    std::uint32_t local;
  };

  std::uint64_t serial = 0;
  pugi::xml_node_struct* parent = nullptr;
  // Filled on the second lookup on `parent`: a parent read once is not worth measuring.
  bool measured = false;
  // Fixed room: no allocation, and parents with more children are lists, read by index.
  std::size_t size = 0;
  bool tooMany = false;
  std::array<Element, 64> elements;
};

}  // namespace api
