#pragma once
// The parsed tree that every XmlNode handle of one answer shares (internal to api/).
#include <cstddef>
#include <mutex>
#include <string>

#include <pugixml.hpp>

namespace api {

struct XmlTree {
  pugi::xml_document document;

  // The last indexed child lookup. Rows are read by index one after another (forwards or
  // backwards), so continuing from the previous hit keeps a walk over n rows linear instead
  // of quadratic. Guarded because handles to one tree may be used on several threads.
  struct Lookup {
    pugi::xml_node_struct* parent = nullptr;
    std::string name;
    std::size_t index = 0;
    pugi::xml_node found;
  };
  std::mutex lookupLock;
  Lookup lastLookup;
};

}  // namespace api
