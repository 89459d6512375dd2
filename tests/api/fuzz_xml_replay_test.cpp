// Runs the fuzz target over the answer fixtures and a fixed number of deterministic
// mutations of them, so every build exercises it for a few seconds under its sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

constexpr int kMutations = 4000;

std::vector<std::string> corpus() {
  std::vector<std::string> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(VELTRANA_TEST_DATA_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".xml" && ext != ".html") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    inputs.push_back(text.str());
  }
  return inputs;
}

int run(const std::string& input) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

std::string mutate(std::string s, const std::vector<std::string>& all, std::mt19937& random) {
  static const char* const kTokens[] = {
      "<",      ">",         "</",   "/>",         "&#",  "&#x", ";",  "&amp;",
      "&",      "<![CDATA[", "]]>",  "<!--",       "-->", "<?",  "?>", "\"",
      "<user>", "</user>",   "&#0;", "&#x110000;", "\n",  " "};
  auto pick = [&](std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  const int steps = 1 + static_cast<int>(pick(4));
  for (int step = 0; step < steps; ++step) {
    const std::size_t at = pick(s.size() + 1);
    switch (pick(6)) {
      case 0:
        if (!s.empty()) s[pick(s.size())] ^= static_cast<char>(1u << pick(8));
        break;
      case 1:
        s.insert(at, kTokens[pick(std::size(kTokens))]);
        break;
      case 2:
        s.erase(at, pick(16));
        break;
      case 3:
        s.resize(at);
        break;
      case 4: {
        const std::string& other = all[pick(all.size())];
        const std::size_t from = pick(other.size() + 1);
        s.insert(at, other, from, pick(64));
        break;
      }
      default:
        s.insert(at, 1, static_cast<char>(pick(256)));
        break;
    }
  }
  return s;
}

TEST(FuzzXmlReplay, CorpusAndMutations) {
  const std::vector<std::string> inputs = corpus();
  ASSERT_GE(inputs.size(), 20u);
  for (const std::string& input : inputs) EXPECT_EQ(run(input), 0);

  std::mt19937 random(20091225);
  for (int i = 0; i < kMutations; ++i) {
    EXPECT_EQ(run(mutate(inputs[i % inputs.size()], inputs, random)), 0);
  }
  // Deep nesting and huge flat answers stay bounded.
  EXPECT_EQ(run(std::string(20000, '<')), 0);
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  EXPECT_EQ(run(deep), 0);
  std::string flat = "<r>";
  for (int i = 0; i < 20000; ++i) flat += "<user>x</user>";
  EXPECT_EQ(run(flat), 0);
}

}  // namespace
