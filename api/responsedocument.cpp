#include "responsedocument.h"

#include <string>
#include <vector>

#include "api/xmltext.h"
#include "api/xmltree.h"

namespace api {
namespace {

// Comments, processing instructions and the declaration skipped; CDATA kept (it counts in
// size()). No end-of-line normalisation and a fixed 8-bit encoding, so the bytes of a text
// stay as they arrived. References are expanded by the reader while it parses, unless the
// answer holds one that the reader would expand differently (xmltext.h): then they are
// decoded when a text is read, where a reference to no character is left as written
// instead of cutting the text.
constexpr unsigned kParseOptions = pugi::parse_cdata;
constexpr unsigned kExpandingParseOptions = kParseOptions | pugi::parse_escapes;

// Elements left open at the end can only be the chain of last child elements from the top.
// Deep chains are not answers of this server; they are refused rather than retried.
constexpr std::size_t kMaxOpenElements = 32;

bool load(XmlTree& tree, std::string_view text, pugi::xml_parse_result* out) {
  const unsigned options = tree.referencesExpanded ? kExpandingParseOptions : kParseOptions;
  const pugi::xml_parse_result result =
      tree.document.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
  if (out) *out = result;
  return result.status == pugi::status_ok;
}

// The reader reports an element left open at the end as a start-end mismatch at the last
// byte, but a broken end tag there ("</" or "</>") gives the same report. Appending the
// missing end tags tells them apart: only the first case then parses cleanly.
bool loadClosingOpenElements(XmlTree& tree, std::string_view text) {
  std::vector<std::string> chain;
  for (pugi::xml_node node = tree.document.last_child(); node; node = node.last_child()) {
    while (node && node.type() != pugi::node_element) node = node.previous_sibling();
    if (!node) break;
    if (chain.size() == kMaxOpenElements) return false;
    chain.emplace_back(node.name());
  }
  for (std::size_t open = chain.size(); open >= 1; --open) {
    std::string closed(text);
    for (std::size_t i = open; i-- > 0;) closed.append("</").append(chain[i]).append(">");
    if (load(tree, closed, nullptr)) return true;
  }
  return false;
}

// Whether a CDATA section may start in `text`: a "<![CDATA[" anywhere, in a comment too.
// Found from the "!", which answers seldom hold.
bool holdsCdata(std::string_view text) {
  constexpr std::string_view kOpen = "<![CDATA[";
  for (std::size_t bang = text.find('!', 1); bang != std::string_view::npos;
       bang = text.find('!', bang + 1)) {
    if (text.compare(bang - 1, kOpen.size(), kOpen) == 0) return true;
  }
  return false;
}

}  // namespace

ResponseDocument ResponseDocument::parse(std::string_view text) {
  if (text.empty()) return ResponseDocument();
  auto tree = std::make_shared<XmlTree>();
  tree->referencesExpanded = expandsAlike(text);
  tree->noCdata = !holdsCdata(text);
  pugi::xml_parse_result result;
  const bool whole = load(*tree, text, &result);
  if (!whole) {
    const bool openAtEnd = result.status == pugi::status_end_element_mismatch &&
                           static_cast<std::size_t>(result.offset) + 1 >= text.size();
    if (!openAtEnd || !loadClosingOpenElements(*tree, text)) {
      return ResponseDocument();
    }
  }
  pugi::xml_node root = tree->document;
  return ResponseDocument(std::move(tree), root, whole);
}

}  // namespace api
