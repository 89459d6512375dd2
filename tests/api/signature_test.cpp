// Signatures against digests computed independently (Python hashlib over the sorted,
// concatenated raw entries + secret), and the form body built from the same entries.
#include <gtest/gtest.h>

#include "api/apiclient.h"
#include "api/formbody.h"
#include "api/paramlist.h"

namespace {

constexpr const char* kSessionKey = "sk-123";
constexpr const char* kSessionSecret = "ss-456";
const std::string kSignedKey = api::kApiKey;

struct SignCase {
  const char* what;
  bool withSession;
  std::vector<std::string> entries;
  const char* expected;
};

class SignatureTest : public ::testing::TestWithParam<SignCase> {};

TEST_P(SignatureTest, MatchesIndependentDigest) {
  const SignCase& c = GetParam();
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, "http://127.0.0.1:9/x");
  if (c.withSession) client.adoptSession(kSessionKey, kSessionSecret, "1");
  api::ParamList params;
  for (const std::string& e : c.entries) params.add(e);
  EXPECT_EQ(client.signParams(params), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, SignatureTest,
    ::testing::Values(
        SignCase{
            "createToken without a session",
            false,
            {"api_key=" + kSignedKey, "v=1.0", "method=facebook.auth.createToken", "call_id=0"},
            "73fde5534369950c559d9962337938c3"},
        SignCase{"getSession without a session",
                 false,
                 {"auth_token=tok123", "api_key=" + kSignedKey, "v=1.0",
                  "method=facebook.auth.getSession", "call_id=1"},
                 "21b02fd3d9fcfddb21e74407300f63ac"},
        SignCase{"setStatus with a session, value with & + % signed raw",
                 true,
                 {"status=a&b+c%d", "status_includes_verb=1", "api_key=" + kSignedKey, "v=1.0",
                  "method=facebook.users.setStatus", "session_key=sk-123", "call_id=2"},
                 "f4f214df7f409a5abdf54d017f2ddf65"},
        SignCase{"fql with a session",
                 true,
                 {"query=select uid from user where uid=1", "api_key=" + kSignedKey, "v=1.0",
                  "method=facebook.fql.query", "session_key=sk-123", "call_id=7"},
                 "9c54c0bce771a859bc048c42f59d0c8d"},
        SignCase{"uid1= sorts before uid=",
                 false,
                 {"uid=5", "uid1=7"},
                 "68b6956a56457286a9686aea216671a0"},
        SignCase{"status= sorts before status_includes_verb=1",
                 true,
                 {"status_includes_verb=1", "status="},
                 "91b5d87c945ac53957962ce7cf50f4e7"},
        SignCase{"non-ASCII bytes signed as they are",
                 true,
                 {"status=caf\xc3\xa9 \xc3\xbc"
                  "ber"},
                 "4dd45fa107dffdad6c21f204fa34f71a"}));

TEST(SignatureTest, DropSessionSignsWithApplicationSecretAgain) {
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, "http://127.0.0.1:9/x");
  client.adoptSession(kSessionKey, kSessionSecret, "1");
  client.dropSession();
  api::ParamList params{"api_key=" + kSignedKey, "v=1.0", "method=facebook.auth.createToken",
                        "call_id=0"};
  EXPECT_EQ(client.signParams(params), "73fde5534369950c559d9962337938c3");
  EXPECT_FALSE(client.hasSession());
  EXPECT_EQ(client.sessionSecret(), api::kApplicationSecret);
  EXPECT_EQ(client.sessionKey(), "");
}

TEST(ParamListTest, SortsWholeEntriesByUnsignedBytes) {
  api::ParamList params{"uid=5", "status_includes_verb=1", "\xc3\xa9=1", "uid1=7", "status=", "st",
                        "Z=1"};
  EXPECT_EQ(params.sortedEntries(),
            (std::vector<std::string>{"Z=1", "st", "status=", "status_includes_verb=1", "uid1=7",
                                      "uid=5", "\xc3\xa9=1"}));
  EXPECT_EQ(params.entries().front(), "uid=5") << "the list itself keeps its order";
}

TEST(FormBodyTest, EncodesValuesOnly) {
  struct Case {
    std::vector<std::string> entries;
    const char* body;
  } cases[] = {
      {{"status=a&b+c%d", "v=1.0"}, "status=a%26b%2Bc%25d&v=1.0"},
      {{"query=select uid from user where uid =1"},
       "query=select%20uid%20from%20user%20where%20uid%20%3D1"},
      {{"status=caf\xc3\xa9"}, "status=caf%C3%A9"},
      {{"status=", "clear=1"}, "status=&clear=1"},
      {{"x=a=b", "y=-._~"}, "x=a%3Db&y=-._~"},
      {{"status=line\r\nnext"}, "status=line%0D%0Anext"},
  };
  for (const Case& c : cases) EXPECT_EQ(api::formBody(c.entries), c.body);
}

}  // namespace
