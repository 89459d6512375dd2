#include "responsedocument.h"

#include <string>
#include <vector>

#include "api/xmltree.h"

namespace api {
namespace {

// Comments, processing instructions and the declaration skipped; CDATA kept (it counts in
// size()). No end-of-line normalisation and a fixed 8-bit encoding, so the bytes of a text
// stay as they arrived. References are decoded when a text is read (see xmltext.h), where
// a reference to no character can be left as written instead of cutting the text.
constexpr unsigned kParseOptions = pugi::parse_cdata;

// Elements left open at the end can only be the chain of last child elements from the top.
// Deep chains are not answers of this server; they are refused rather than retried.
constexpr std::size_t kMaxOpenElements = 32;

bool load(pugi::xml_document& document, std::string_view text, pugi::xml_parse_result* out) {
  const pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (out) *out = result;
  return result.status == pugi::status_ok;
}

// The reader reports an element left open at the end as a start-end mismatch at the last
// byte, but a broken end tag there ("</" or "</>") gives the same report. Appending the
// missing end tags tells them apart: only the first case then parses cleanly.
bool loadClosingOpenElements(pugi::xml_document& document, std::string_view text) {
  std::vector<std::string> chain;
  for (pugi::xml_node node = document.last_child(); node; node = node.last_child()) {
    while (node && node.type() != pugi::node_element) node = node.previous_sibling();
    if (!node) break;
    if (chain.size() == kMaxOpenElements) return false;
    chain.emplace_back(node.name());
  }
  for (std::size_t open = chain.size(); open >= 1; --open) {
    std::string closed(text);
    for (std::size_t i = open; i-- > 0;) closed.append("</").append(chain[i]).append(">");
    if (load(document, closed, nullptr)) return true;
  }
  return false;
}

}  // namespace

ResponseDocument ResponseDocument::parse(std::string_view text) {
  if (text.empty()) return ResponseDocument();
  auto tree = std::make_shared<XmlTree>();
  pugi::xml_parse_result result;
  const bool whole = load(tree->document, text, &result);
  if (!whole) {
    const bool openAtEnd = result.status == pugi::status_end_element_mismatch &&
                           static_cast<std::size_t>(result.offset) + 1 >= text.size();
    if (!openAtEnd || !loadClosingOpenElements(tree->document, text)) {
      return ResponseDocument();
    }
  }
  pugi::xml_node root = tree->document;
  return ResponseDocument(std::move(tree), root, whole);
}

}  // namespace api
