// The hiding of secrets in printed diagnostics and in the login trace: one table of texts as
// the programs print them (form bodies, addresses, answers) and what may be shown of each.
#include "platform/secrettext.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(HideSecrets, ValuesOfSecretEntriesAndElementsAreHiddenTheRestKept) {
  const std::pair<const char*, const char*> cases[] = {
      // The REST call's body, with and without a session.
      {"api_key=8c2e&call_id=3&method=facebook.fql.query&query=select%20uid&"
       "session_key=5f1e77&sig=9a0b&v=1.0",
       "api_key=8c2e&call_id=3&method=facebook.fql.query&query=select%20uid&"
       "session_key=[hidden]&sig=[hidden]&v=1.0"},
      {"api_key=8c2e&call_id=0&method=facebook.auth.createToken&sig=77aa&v=1.0",
       "api_key=8c2e&call_id=0&method=facebook.auth.createToken&sig=[hidden]&v=1.0"},
      // Login addresses, also as a line with its label and inside another address.
      {"my_login_url = http://127.0.0.1:8080/login.php?api_key=8c&v=1.0&auth_token=3fe9c1",
       "my_login_url = http://127.0.0.1:8080/login.php?api_key=8c&v=1.0&auth_token=[hidden]"},
      {"0x0badf00d http://h/login.php?AUTH_TOKEN=ab#top (error)",
       "0x0badf00d http://h/login.php?AUTH_TOKEN=[hidden]#top (error)"},
      {"http://h/x?next=http%3A%2F%2Fh%2Fd.php%3Fauth_token%3Dab12%26v%3D1&fb_sig=cc",
       "http://h/x?next=http%3A%2F%2Fh%2Fd.php%3Fauth_token%3D[hidden]%26v%3D1&fb_sig=[hidden]"},
      // ... and inside an address encoded twice, as a login step that forwards the one
      // before it sends it.
      {"http://h/x?next=http%253A%252F%252Fh%252Fd.php%253Fauth_token%253Dab12%2526v%253D1",
       "http://h/x?next=http%253A%252F%252Fh%252Fd.php%253Fauth_token%253D[hidden]%2526v%253D1"},
      {"session_secret=s3;password=p w", "session_secret=[hidden];password=[hidden] w"},
      // Quoted values, as attributes and JSON write them: only what is inside the quotes.
      {"<input name=x auth_token=\"ab12\" sig='cd'>",
       "<input name=x auth_token=\"[hidden]\" sig='[hidden]'>"},
      {"{\"session_key\": \"k1\", \"uid\": 5, \"sig\":77, \"secret\":\"\"}",
       "{\"session_key\": \"[hidden]\", \"uid\": 5, \"sig\":[hidden], \"secret\":\"\"}"},
      // Names that only look alike, and empty values, stay.
      {"design=1&signal=2&tokens=3&my_sigma=4&sig=&auth_token=",
       "design=1&signal=2&tokens=3&my_sigma=4&sig=&auth_token="},
      {"Length of client_url = 87", "Length of client_url = 87"},
      {"x%25=1&sig%253&auth_token%25", "x%25=1&sig%253&auth_token%25"},
      {"<b>Sign in</b> a=b", "<b>Sign in</b> a=b"},
      // Answers: the text of secret elements whatever their spelling, up to a cut's end.
      {"<r><session_key>k1</session_key><uid>5</uid><secret>s1</secret></r>",
       "<r><session_key>[hidden]</session_key><uid>5</uid><secret>[hidden]</secret></r>"},
      {"<fb:SESSION_KEY a=\"1\">k2</fb:SESSION_KEY><Secret><![CDATA[s<2]]></Secret>",
       "<fb:SESSION_KEY a=\"1\">[hidden]</fb:SESSION_KEY><Secret>[hidden]</Secret>"},
      {"<secret/><session_key></session_key><secretary>x</secretary>",
       "<secret/><session_key></session_key><secretary>x</secretary>"},
      {"<r><session_key>cut-here", "<r><session_key>[hidden]"},
      {"<session_key>k</secret>", "<session_key>[hidden]</secret>"},
      {"<auth_token>t9</auth_token>", "<auth_token>[hidden]</auth_token>"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(platform::hideSecrets(text), shown) << text;
}

}  // namespace
