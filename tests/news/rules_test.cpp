// The rules of the notifications on their own: the reminder text, the two id walks, the ad
// request body, the ad token walk, the ad line, the client address and the links that may be
// opened.
#include <gtest/gtest.h>

#include <algorithm>

#include "news/adtext.h"
#include "news/idwalk.h"
#include "news/reminderbody.h"

namespace {

using news::NewsList;

NewsList newsOf(std::initializer_list<std::pair<const char*, std::vector<std::string>>> sections) {
  NewsList list;
  for (const auto& [header, items] : sections) list.addSection(header, items);
  return list;
}

TEST(ReminderBody, FollowsTheSectionsAndTheRoomLeft) {
  const std::string fourteen = "Summer Barbecu";
  const struct {
    const char* what;
    NewsList news;
    std::string body;
  } cases[] = {
      {"wall post and two requests",
       newsOf({{news::kWallHeader, {}}, {news::kFriendRequestHeader, {"Ann Lee", "Bo Chen"}}}),
       "New Wall Post\nNew Friend Request\n     - Ann Lee\n       ...\n"},
      {"one request keeps the whole name",
       newsOf({{news::kFriendRequestHeader, {"Christopher Montgomery-Smith"}}}),
       "New Friend Request\n     - Christopher Montgomery-Smith\n"},
      {"three event invites",
       newsOf({{news::kEventInviteHeader, {fourteen, "Open Source Ha", "Concert: The B"}}}),
       "New Event Invite\n     - " + fourteen + "...\n       ...\n"},
      {"three item sections leave no room for more",
       newsOf({{news::kFriendRequestHeader, {"A1", "A2"}},
               {news::kGroupInviteHeader, {"G1", "G2"}},
               {news::kEventInviteHeader, {"E1", "E2"}}}),
       "New Friend Request\n     - A1\nNew Group Invite\n     - G1...\nNew Event Invite\n"
       "     - E1...\n"},
      {"all five kinds: headers only",
       newsOf({{news::kWallHeader, {}},
               {news::kMessageHeader, {}},
               {news::kFriendRequestHeader, {"A1", "A2"}},
               {news::kGroupInviteHeader, {"G1"}},
               {news::kEventInviteHeader, {"E1"}}}),
       "New Wall Post\nNew Facebook Message\nNew Friend Request\nNew Group Invite\n"
       "New Event Invite\n"},
      {"a message makes room for one more line",
       newsOf({{news::kMessageHeader, {}},
               {news::kFriendRequestHeader, {"A1", "A2"}},
               {news::kGroupInviteHeader, {"G1", "G2", "G3"}}}),
       "New Facebook Message\nNew Friend Request\n     - A1\n       ...\nNew Group Invite\n"
       "     - G1...\n       ...\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(news::reminderBody(c.news), c.body) << c.what;
  }
}

TEST(ReminderBody, IsCutAfterFiveHundredCharactersWithoutSplittingOne) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "\xC3\xA9";  // é, two bytes each
  const std::string body =
      news::reminderBody(newsOf({{news::kFriendRequestHeader, {name + name}}}));
  EXPECT_EQ(body.size(), 19u + 7u + (500u - 19u - 7u) * 2u);
  EXPECT_EQ(body.substr(body.size() - 2), "\xC3\xA9");
}

TEST(IdWalk, FriendRequestsAndInvitesAgainstTheirMarker) {
  using Ids = std::vector<std::string>;
  const struct {
    const char* what;
    bool friends;
    Ids answer;
    std::string marker;
    Ids reported;
    std::string newMarker;
  } cases[] = {
      {"requests before the marker", true, {"1", "2", "3"}, "2", {"1"}, "1"},
      {"first request is the marker", true, {"2", "5", "6"}, "2", {}, "2"},
      {"no request known", true, {"1", "2", "3"}, "0", {"3", "2", "1"}, "1"},
      {"a request listed twice", true, {"1", "4", "1"}, "0", {"1", "4"}, "1"},
      {"ids that are not digits pass", true, {"x1", "7", "8 "}, "0", {"7"}, "7"},
      {"invites after the marker", false, {"1", "2", "3"}, "1", {"3", "2"}, "3"},
      {"last invite is the marker", false, {"1", "2", "3"}, "3", {}, "3"},
      {"no invite known", false, {"4", "5"}, "0", {"5", "4"}, "5"},
      {"an invite listed twice", false, {"4", "5", "5"}, "0", {"5", "4"}, "5"},
      {"a 65-digit id is no id", false, {std::string(65, '9')}, "0", {}, "0"},
  };
  for (const auto& c : cases) {
    const news::IdWalk walk = c.friends ? news::walkFriendRequests(c.answer, c.marker)
                                        : news::walkInvites(c.answer, c.marker);
    EXPECT_EQ(walk.ids, c.reported) << c.what;
    EXPECT_EQ(walk.marker, c.newMarker) << c.what;
  }
  EXPECT_EQ(news::walkInvites({"1", "2", "3"}, "1").idList(), "3,2");
}

constexpr const char* kBodyTail =
    "&v=Veltranav1&u=Mozilla%2F4.0+%28compatible%3B+MSIE+6.0%3B+Windows+CE%3B+IEMobile+7.11%29";

TEST(AdText, RequestBodyFieldByField) {
  const struct {
    std::string address, gender, body;
  } cases[] = {
      {"", "", "&d%5Bgender%5D=m&t=9562024"},
      {"1.2.", "", "&d%5Bgender%5D=m&t=9562024"},
      {"10.0.0.7", "", "&i=10.0.0.7&d%5Bgender%5D=m&t=9562024"},
      {"2001:db8::1", "f", "&i=2001%3Adb8%3A%3A1&d%5Bgender%5D=f&t=9562024"},
      {"10.0.0.7", "female", "&i=10.0.0.7&d%5Bgender%5D=f&t=9562024"},
      {"", "\xC3\xA9t\xC3\xA9", "&d%5Bgender%5D=%C3%A9&t=9562024"},
  };
  for (const auto& c : cases) {
    news::AdState ad;
    ad.clientAddress = c.address;
    ad.gender = c.gender;
    EXPECT_EQ(news::adRequestBody(ad, "9562024"),
              "s=a7305518264c9de&e=UTF-8&f=html&y=text&d%5Bac%5D=" + c.body + kBodyTail)
        << c.address << " / " << c.gender;
  }
  std::tm local{};
  local.tm_hour = 9;
  local.tm_mday = 5;
  local.tm_mon = 5;
  local.tm_year = 124;
  EXPECT_EQ(news::adRequestTag(local), "9562024");
  local.tm_hour = 23;
  local.tm_mday = 31;
  local.tm_mon = 11;
  EXPECT_EQ(news::adRequestTag(local), "2331122024");
}

TEST(AdText, TokenWalk) {
  const struct {
    const char* what;
    std::string answer;
    std::string link, text;
  } cases[] = {
      {"link then text",
       R"(<div class="ad"><a href="http://shop.example/1">Fresh coffee</a></div>)",
       "http://shop.example/1", "Fresh coffee"},
      {"words before the link are ignored",
       R"(Hot deals <a href="www.deals.example">Cheap flights</a>)", "www.deals.example",
       "Cheap flights"},
      {"markup tokens are skipped", R"(<a href="https://x.example/a"><//a>Deal</a>)",
       "https://x.example/a", "Deal"},
      {"a later link replaces the earlier",
       R"(<a href="http://one.example"><a href="http://two.example">Two</a>)", "http://two.example",
       "Two"},
      {"an attribute after the link is taken as text",
       R"(<a href="http://one.example" class="c">One</a>)", "http://one.example", " class="},
      {"no link: nothing changes", "<p>Just words</p>", "old link", "old text"},
      {"a link and no text changes neither", R"(<a href="http://new.example">)", "old link",
       "old text"},
      {"a closing tag after the link is text", R"(<a href="http://new.example"></a>)",
       "http://new.example", "/a"},
      {"a token with //a is markup, even an address",
       R"(<a href="http://ads.example">Skipped</a><a href="http://shop.example">Shown</a>)",
       "http://shop.example", "Shown"},
  };
  for (const auto& c : cases) {
    news::AdState ad{"old link", "old text", "", ""};
    news::walkAdTokens(c.answer, ad);
    EXPECT_EQ(ad.link, c.link) << c.what;
    EXPECT_EQ(ad.text, c.text) << c.what;
  }
  // Only the first 1,499 bytes are read, and the cut does not split a letter.
  news::AdState ad;
  std::string padded =
      R"(<a href="http://shop.example/2">)" + std::string(1499 - 32 - 1, 'x') + "\xC3\xA9" + "tail";
  news::walkAdTokens(padded, ad);
  EXPECT_EQ(ad.text, std::string(1499 - 32 - 1, 'x'));
}

TEST(AdText, AdLineAndOpenableLinks) {
  const struct {
    std::string link, text;
    bool credit;
    std::string shown;
  } cases[] = {
      {"http://a.example", "Fresh coffee", false, "Fresh coffee"},
      {"http://a.example", "Ok", true, news::kCreditLine},
      {"ht", "Fresh coffee", true, news::kCreditLine},
      {"http://a.example",
       "G\xC3\xBCnstige Fl\xC3\xBCge nach M\xC3\xBC"
       "nchen",
       false, "G'nstige Fl'ge nach M'nchen"},
      {"http://a.example", "Caf\xC3\xA9\xE2\x80\x94\xC3\xA9 x", false, "Caf' x"},
      {"http://a.example", std::string(150, 'a'), false, std::string(100, 'a')},
      {"www.a.example", "Fresh coffee", false, "Fresh coffee"},
      // A link the browser would not be given: the credit line, not a button that does nothing.
      {"", "Fresh coffee", true, news::kCreditLine},
      {"javascript:alert('http')", "Fresh coffee", true, news::kCreditLine},
      {"ftp://www.a.example", "Fresh coffee", true, news::kCreditLine},
      {"http://", "Fresh coffee", true, news::kCreditLine},
      {"http://a.example/ x", "Fresh coffee", true, news::kCreditLine},
  };
  for (const auto& c : cases) {
    news::AdState ad{c.link, c.text, "", ""};
    const news::AdLine line = news::adLine(ad);
    EXPECT_EQ(line.credit, c.credit) << c.text;
    EXPECT_EQ(line.text, c.shown) << c.text;
    if (!c.credit) {
      EXPECT_EQ(ad.text.substr(0, 100), c.shown);
    }
  }

  for (const char* link : {"http://a.example/x", "HTTPS://a.example", "https://a.example/?q=1"})
    EXPECT_EQ(news::openableAdLink(link), link);
  EXPECT_EQ(news::openableAdLink("WWW.a.example/x"), "http://WWW.a.example/x");
  for (const char* link :
       {"file:///etc/passwd", "javascript:alert('http')", "awww.a.example", "ftp://a.example",
        "http://a.example/\nx", " http://a.example", "www.a.example/\tx", "", "http://",
        "https:///a.example", "http://?q=1", "http://#x", "www."})
    EXPECT_EQ(news::openableAdLink(link), std::nullopt) << link;
}

TEST(AdText, ClientAddressIsAnIpLiteralOnly) {
  const struct {
    std::string body;
    std::optional<std::string> address;
  } cases[] = {
      {"127.0.0.1", "127.0.0.1"},
      {"  203.0.113.9\r\n", "203.0.113.9"},
      {"2001:db8::42\n", "2001:db8::42"},
      {"", std::nullopt},
      {"<html>502 Bad Gateway</html>", std::nullopt},
      {"1.2.3.4&d=x", std::nullopt},
      {"999.1.1.1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(news::clientAddressFrom(c.body), c.address) << c.body;
}

}  // namespace
