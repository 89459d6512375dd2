#pragma once
// The parsed tree that every XmlNode handle of one answer shares (internal to api/).
#include <cstddef>
#include <cstdint>
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

}  // namespace api
