// Call checks of the REST endpoint: signatures computed apart from the server's code are
// accepted, anything else is refused with the real error codes.
#include <gtest/gtest.h>

#include <cctype>

#include "simharness.h"
#include "simulator/rest/callsignature.h"

namespace simtest {
namespace {

// Digests computed with Python's hashlib over the sorted, concatenated entries and secret.
struct Vector {
  Params params;
  std::string secret;
  std::string md5;
};

const std::vector<Vector>& vectors() {
  static const std::vector<Vector> kVectors = {
      {{{"api_key", kApiKey},
        {"v", "1.0"},
        {"method", "facebook.auth.createToken"},
        {"call_id", "0"}},
       kAppSecret,
       "73fde5534369950c559d9962337938c3"},
      {{{"status", "is at \"home\" & happy + 100% \xC3\xA9"},
        {"status_includes_verb", "1"},
        {"api_key", kApiKey},
        {"v", "1.0"},
        {"method", "facebook.users.setStatus"},
        {"session_key", "0123456789abcdef01234567-42"},
        {"call_id", "7"}},
       "00112233445566778899aabbccddeeff",
       "822982667ac0c330d26ed6d29155a1f9"},
      // "1" sorts below "=": the uid1 entry comes first.
      {{{"uid", "6"}, {"uid1", "5"}}, "x", "7b2bb9ae374e74b47e1ca75aadde17b5"},
      // Bytes compare unsigned: the non-ASCII entry sorts after "z".
      {{{"z", "1"}, {"\xC3\xA9", "2"}}, "x", "d420421baa62a1b42331592c9a70619a"},
  };
  return kVectors;
}

TEST(CallSignature, ClientAndServerSignersMatchReferenceDigests) {
  for (const Vector& v : vectors()) {
    EXPECT_EQ(clientSignature(v.params, v.secret), v.md5);
    sim::FormFields fields;
    for (const auto& [name, value] : v.params) fields.push_back({name, value});
    fields.push_back({"sig", "left out of the digest"});
    EXPECT_EQ(sim::CallSignature::compute(fields, v.secret), v.md5);
  }
}

TEST(RestSignature, ReferenceSignatureIsAcceptedAndOthersAnswer104) {
  SimHarness h;
  pugi::xml_document doc;
  // The first call of the harness carries call_id 0, like the first reference vector.
  const Answer accepted =
      h.callWithSignature("facebook.auth.createToken", {}, "73fde5534369950c559d9962337938c3");
  const pugi::xml_node top = topElement(doc, accepted.body);
  EXPECT_STREQ(top.name(), "auth_createToken_response");
  EXPECT_EQ(std::string(top.text().get()).size(), 32u);

  const std::string good = clientSignature({{"api_key", kApiKey},
                                            {"v", "1.0"},
                                            {"method", "facebook.auth.createToken"},
                                            {"call_id", "1"}},
                                           kAppSecret);
  std::string flipped = good;
  flipped[5] = flipped[5] == '0' ? '1' : '0';
  std::string upper = good;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string refused[] = {flipped, upper, good.substr(0, 31), ""};
  for (const std::string& sig : refused) {
    const Answer answer = h.callWithSignature("facebook.auth.createToken", {}, sig);
    EXPECT_EQ(errorCode(answer.body), 104) << "sig " << sig;
    EXPECT_NE(answer.body.find("<error_msg>Incorrect signature</error_msg>"), std::string::npos);
  }
  const sim::Json log = h.controlGet("/requests")["requests"];
  ASSERT_EQ(log.size(), 5u);
  EXPECT_TRUE(log[0]["signature_valid"].get<bool>());
  for (size_t i = 1; i < 5; ++i) EXPECT_FALSE(log[i]["signature_valid"].get<bool>());
}

TEST(RestSignature, PercentEncodedValuesArriveAndAreSignedRaw) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  const std::string status = "is at \"home\" & happy + 100% \xC3\xA9 <now>";
  const Answer set =
      h.call("facebook.users.setStatus", {{"status", status}, {"status_includes_verb", "1"}});
  pugi::xml_document doc;
  EXPECT_STREQ(topElement(doc, set.body).name(), "users_setStatus_response");
  EXPECT_STREQ(topElement(doc, set.body).text().get(), "1");

  const Answer read =
      h.call("facebook.fql.query",
             {{"query", "select status from user where uid =" + std::to_string(h.userUid())}});
  const pugi::xml_node message =
      topElement(doc, read.body).child("user").child("status").child("message");
  EXPECT_EQ(message.text().get(), status);
  // The raw XML escapes the markup characters.
  EXPECT_NE(read.body.find("&quot;home&quot; &amp; happy + 100% \xC3\xA9 &lt;now&gt;"),
            std::string::npos);

  const sim::Json log = h.controlGet("/requests")["requests"];
  const sim::Json& setCall = log[log.size() - 2];
  EXPECT_EQ(setCall["params"][0]["value"].get<std::string>(), status);
  EXPECT_NE(setCall["body"].get<std::string>().find(
                "status=is%20at%20%22home%22%20%26%20happy%20%2B%20100%25"),
            std::string::npos);
}

TEST(RestChecks, RefusedCallsCarryTheRealCodesAndArguments) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  const std::string key = h.sessionKey();
  const std::string secret = h.secret();
  struct Case {
    const char* what;
    Params params;
    std::string secret;
    int code;
  };
  const Params query = {{"query", "select uid from user where uid =1"}};
  auto with = [](Params p, std::initializer_list<std::pair<std::string, std::string>> more) {
    p.insert(p.end(), more.begin(), more.end());
    return p;
  };
  const Case cases[] = {
      {"wrong api key",
       with(query, {{"api_key", "0000"},
                    {"v", "1.0"},
                    {"method", "facebook.fql.query"},
                    {"session_key", key},
                    {"call_id", "9"}}),
       secret, 101},
      {"wrong version",
       with(query, {{"api_key", kApiKey},
                    {"v", "2.0"},
                    {"method", "facebook.fql.query"},
                    {"session_key", key},
                    {"call_id", "9"}}),
       secret, 100},
      {"unknown method",
       with(query, {{"api_key", kApiKey},
                    {"v", "1.0"},
                    {"method", "facebook.friends.get"},
                    {"session_key", key},
                    {"call_id", "9"}}),
       secret, 3},
      {"unknown session",
       with(query, {{"api_key", kApiKey},
                    {"v", "1.0"},
                    {"method", "facebook.fql.query"},
                    {"session_key", "feed-1"},
                    {"call_id", "9"}}),
       secret, 102},
      {"no session",
       with(query, {{"api_key", kApiKey},
                    {"v", "1.0"},
                    {"method", "facebook.fql.query"},
                    {"call_id", "9"}}),
       kAppSecret, 102},
      {"signed with the application secret while in a session",
       with(query, {{"api_key", kApiKey},
                    {"v", "1.0"},
                    {"method", "facebook.fql.query"},
                    {"session_key", key},
                    {"call_id", "9"}}),
       kAppSecret, 104},
  };
  for (const Case& c : cases) {
    Params params = c.params;
    params.emplace_back("sig", clientSignature(params, c.secret));
    std::string body;
    for (const auto& [name, value] : params)
      body += (body.empty() ? "" : "&") + name + "=" + urlEncode(value);
    const Answer answer = h.post("/restserver.php", body);
    EXPECT_EQ(answer.status, 200) << c.what;
    pugi::xml_document doc;
    const pugi::xml_node top = topElement(doc, answer.body);
    ASSERT_STREQ(top.name(), "error_response") << c.what;
    EXPECT_EQ(top.child("error_code").text().as_int(), c.code) << c.what;
    EXPECT_STREQ(top.attribute("xmlns").value(), "http://api.facebook.com/1.0/");
    EXPECT_STREQ(top.attribute("xsi:schemaLocation").value(),
                 "http://api.facebook.com/1.0/ http://api.facebook.com/1.0/facebook.xsd");
    const pugi::xml_node args = top.child("request_args");
    EXPECT_STREQ(args.attribute("list").value(), "true");
    size_t i = 0;
    for (const pugi::xml_node arg : args.children("arg")) {
      ASSERT_LT(i, params.size());
      EXPECT_EQ(arg.child("key").text().get(), params[i].first);
      EXPECT_EQ(arg.child("value").text().get(), params[i].second);
      ++i;
    }
    EXPECT_EQ(i, params.size()) << c.what;
  }
}

}  // namespace
}  // namespace simtest
