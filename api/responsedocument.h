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

 private:
  using XmlNode::XmlNode;
};

}  // namespace api
