// Fuzz target: the XML reader and every answer walk of the operations, on arbitrary bytes.
// Built as a libFuzzer program with clang, and replayed over a bounded corpus and mutations
// by fuzz_xml_replay_test in every build.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/authoperations.h"
#include "api/responsedocument.h"
#include "api/statusoperations.h"

namespace {

constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxVisits = 20000;
constexpr std::size_t kMaxChildrenPerNode = 256;

// Walks over the same rows in both directions and the single lookups agree on them; a
// disagreement is a fault the fuzzer stops on.
void checkRows(const api::XmlNode& node, const std::string& name) {
  const api::XmlNode::Children rows = node.children(name);
  std::size_t forwards = 0;
  for (const api::XmlNode row : rows) {
    if (forwards < 4 && row.name() != node.child(name, forwards).name()) __builtin_trap();
    ++forwards;
  }
  std::size_t backwards = 0;
  for (const api::XmlNode row : rows.reversed()) backwards += row.isEmpty() ? 0 : 1;
  std::size_t stepsBack = 0;
  for (auto row = rows.end(); row != rows.begin() && stepsBack <= forwards; --row) ++stepsBack;
  if (forwards != backwards || forwards != stepsBack || forwards != node.count(name))
    __builtin_trap();
}

// The one-walk read of several fields agrees with the lookups one by one.
void checkOneWalk(const api::XmlNode& node, const std::vector<std::string>& names) {
  const std::vector<std::string_view> wanted(names.begin(), names.end());
  std::vector<std::optional<std::string_view>> texts(wanted.size());
  const std::string group = names.empty() ? std::string("x") : names.back();
  if (node.childTexts(wanted, texts, group).name() != node.child(group).name()) __builtin_trap();
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const std::optional<std::string> one = node.child(wanted[i]).text();
    if (one.has_value() != texts[i].has_value() || (one && *one != *texts[i])) __builtin_trap();
  }
}

// Every lookup a reader may make, at every node the walk reaches.
void visit(const api::XmlNode& node, int depth, std::size_t& visits) {
  if (depth > kMaxDepth || ++visits > kMaxVisits) return;
  (void)node.size();
  for (std::size_t i = 0; node.text(i); ++i) {
  }
  (void)node.child(node.name(), 1);
  for (const api::XmlNode user : node.children("user").reversed()) {
    (void)user.child("uid").text();
  }
  std::size_t walked = 0;
  std::vector<std::string> names;
  for (const api::XmlNode child : node.children()) {
    if (walked == kMaxChildrenPerNode) break;
    if (walked++ < 16) {
      checkRows(node, child.name());
      names.push_back(child.name());
    }
    visit(child, depth + 1, visits);
  }
  checkOneWalk(node, names);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t visits = 0;
  visit(api::ResponseDocument::parse(text), 0, visits);

  (void)api::readTokenAnswer(text);
  std::size_t lines = 0;
  (void)api::readSessionAnswer(text, [&lines](const std::string&) { ++lines; });
  (void)api::readSetStatusAnswer(text);
  (void)api::readOneFriendAnswer(text, "pic_square");
  return 0;
}
