#pragma once
// A parsed REST answer. Its children are the answer's top-level elements, so operations
// look up their top element on the document ("fql_query_response").
#include <string_view>

#include "api/xmlnode.h"

namespace api {

class ResponseDocument : public XmlNode {
 public:
  ResponseDocument() = default;

  // The empty handle for an empty text or one with a syntax error. Elements left open at
  // the very end of the text are accepted: a cut-off answer is still read.
  static ResponseDocument parse(std::string_view text);

  // False when the reader had to close elements itself (or nothing was read). A cut answer
  // may be shown, but whoever stores a file, a marker or a count from it must not: its last
  // value may be cut inside a number or a name, and its last rows are missing.
  bool isWhole() const { return whole_; }

 private:
  ResponseDocument(std::shared_ptr<XmlTree> tree, pugi::xml_node node, bool whole)
      : XmlNode(std::move(tree), node), whole_(whole) {}

  bool whole_ = false;
};

}  // namespace api
