// Parsers fed with mangled input, and the server under concurrent callers: nothing may crash,
// hang or answer something that is not a well-formed document. Meant for the sanitizer build.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "simharness.h"
#include "simulator/control/controlinput.h"
#include "simulator/fql/fqlevaluator.h"
#include "simulator/http/multipartparser.h"
#include "simulator/world/random.h"
#include "simulator/world/worldgenerator.h"

namespace simtest {
namespace {

// Flips, cuts, repeats and inserts bytes, the way a broken client or a bad line would.
std::string mangle(const std::string& text, sim::Random& rng) {
  std::string s = text;
  const int edits = static_cast<int>(rng.between(1, 4));
  static const char kAwkward[] = {'(', ')',  ',',  '"',  '\'', '\\', '=', '<',
                                  '-', '\0', '\r', '\n', '*',  '0',  'x', static_cast<char>(0xC3)};
  for (int i = 0; i < edits && !s.empty(); ++i) {
    const size_t at = rng.below(s.size());
    switch (rng.below(4)) {
      case 0:
        s[at] = rng.pick(kAwkward);
        break;
      case 1:
        s.resize(at);
        break;
      case 2:
        s.insert(at, s.substr(at, rng.below(40)));
        break;
      default:
        s.insert(at, 1, rng.pick(kAwkward));
    }
  }
  return s;
}

TEST(Robustness, MangledFqlNeverCrashesTheEvaluator) {
  const sim::World world = sim::WorldGenerator::generate({9, 40, 1230000000});
  const sim::FqlEvaluator evaluator(world, "http://127.0.0.1:1", 1230000000);
  const std::string me = std::to_string(world.user().uid);
  const std::string seeds[] = {
      "select \" \"  from user where uid in (SELECT uid2 FROM friend WHERE uid1=" + me + ")",
      "select uid, relationship_status from user where uid in (SELECT uid2 FROM friend WHERE "
      "uid1=" +
          me + ") order by uid",
      "select substr(name,0,14),gid from group where gid in (1,2,3)",
      "select uid from user where not (uid in (1, 2) or name = 'x\\'y') and uid != 3 limit 2, 1",
  };
  sim::Random rng(2024);
  int answered = 0, refused = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string query = mangle(seeds[i % 4], rng);
    std::string error;
    const auto answer = evaluator.run(query, error);
    if (answer) {
      pugi::xml_document doc;
      EXPECT_TRUE(doc.load_buffer(answer->data(), answer->size())) << query;
      ++answered;
    } else {
      EXPECT_FALSE(error.empty()) << query;
      ++refused;
    }
  }
  EXPECT_GT(answered, 0);
  EXPECT_GT(refused, 0);
  // Deep nesting is refused, not followed down the stack.
  std::string deep =
      "select uid from user where " + std::string(5000, '(') + "uid = 1" + std::string(5000, ')');
  std::string error;
  EXPECT_FALSE(evaluator.run(deep, error));
}

TEST(Robustness, MangledMultipartAndJsonNeverCrash) {
  const std::string boundary = "b0b0b0";
  std::string body = "--" + boundary +
                     "\r\nContent-Disposition: form-data; name=\"api_key\"\r\n\r\nk\r\n--" +
                     boundary +
                     "\r\nContent-Disposition: form-data; filename=\"a.jpg\"\r\nContent-Type: "
                     "image/jpg\r\n\r\n\xFF\xD8\r\n--\r\n--" +
                     boundary + "--";
  const std::string json = R"({"uid": 5, "message": "h\u00e9", "list": [1, 2.5, true, null]})";
  sim::Random rng(7);
  for (int i = 0; i < 3000; ++i) {
    std::string error;
    const auto parts = sim::MultipartParser::parse(mangle(body, rng), boundary, error);
    if (!parts) {
      EXPECT_FALSE(error.empty());
    }
    sim::MultipartParser::boundaryOf(mangle("multipart/form-data; boundary=\"x;y\"", rng));
    const auto input = sim::ControlInput::fromJson(mangle(json, rng), error);
    if (input) {
      input->text("message");
      input->integer("uid");
      input->texts("list");
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(Robustness, ConcurrentCallersAndControlChanges) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  const std::string me = std::to_string(h.userUid());
  const std::vector<int64_t> friends = h.friendUids();
  std::atomic<int> malformed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      RestCaller caller = h.caller();
      for (int i = 0; i < 15; ++i) {
        Answer a;
        switch ((i + t) % 3) {
          case 0:
            a = caller.call("facebook.fql.query",
                            {{"query",
                              "select uid, status from user where uid in (SELECT uid2 "
                              "FROM friend WHERE uid1=" +
                                  me + ")"}});
            break;
          case 1:
            a = caller.call("facebook.users.setStatus", {{"status", "thread " + std::to_string(t)},
                                                         {"status_includes_verb", "1"}});
            break;
          default:
            a = caller.post("/_sim/status",
                            R"({"uid": )" + std::to_string(friends[i]) +
                                R"(, "message": "set by )" + std::to_string(t) + "\"}",
                            "application/json");
        }
        pugi::xml_document doc;
        const bool xml = doc.load_buffer(a.body.data(), a.body.size());
        const bool json = sim::Json::accept(a.body);
        if (!a.transferred || a.status != 200 || (!xml && !json) || errorCode(a.body) != 0)
          ++malformed;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(malformed.load(), 0);
}

}  // namespace
}  // namespace simtest
