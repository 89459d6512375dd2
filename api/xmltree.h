#pragma once
// The parsed tree that every XmlNode handle of one answer shares (internal to api/).
#include <pugixml.hpp>

namespace api {

struct XmlTree {
  pugi::xml_document document;
};

}  // namespace api
