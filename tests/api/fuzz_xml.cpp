// Fuzz target: the XML reader and every answer walk of the operations, on arbitrary bytes.
// Built as a libFuzzer program with clang, and replayed over a bounded corpus and mutations
// by fuzz_xml_replay_test in every build.
#include <cstddef>
#include <cstdint>
#include <string>

#include "api/authoperations.h"
#include "api/responsedocument.h"
#include "api/statusoperations.h"

namespace {

constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxVisits = 20000;
// Child at is linear in its index; wider rows than this are not walked further.
constexpr std::size_t kMaxChildrenPerNode = 256;

// Every lookup a reader may make, at every node the walk reaches.
void visit(const api::XmlNode& node, int depth, std::size_t& visits) {
  if (depth > kMaxDepth || ++visits > kMaxVisits) return;
  (void)node.size();
  for (std::size_t i = 0; node.text(i); ++i) {
  }
  const std::string name = node.name();
  (void)node.count(name);
  (void)node.child(name, 1);
  (void)node.child("user", 3).text();
  for (std::size_t i = 0; i < kMaxChildrenPerNode; ++i) {
    const api::XmlNode child = node.childAt(i);
    if (child.isEmpty()) break;
    if (i < 16) (void)node.child(child.name(), node.count(child.name()) - 1);
    visit(child, depth + 1, visits);
  }
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
