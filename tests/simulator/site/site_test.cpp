// The other services: login pages, mobile pages, pictures, ads and the address service.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include <jpeglib.h>

#include "simharness.h"

namespace simtest {
namespace {

std::string titleOf(const std::string& html) {
  const size_t open = html.find("<title>");
  const size_t close = html.find("</title>");
  if (open == std::string::npos || close == std::string::npos) return {};
  return html.substr(open + 7, close - open - 7);
}

// Width and height of a JPEG, read with libjpeg; 0 x 0 when it is not one.
std::pair<int, int> jpegSize(const std::string& bytes) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  std::pair<int, int> size{0, 0};
  if (bytes.size() > 4 && jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK)
    size = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
  jpeg_destroy_decompress(&cinfo);
  return size;
}

std::string createToken(SimHarness& h) {
  pugi::xml_document doc;
  return topElement(doc, h.call("facebook.auth.createToken").body).text().get();
}

TEST(LoginPages, FormLoginAndAutoLoginEndOnDesktopApp) {
  SimHarness h;
  const std::string token = createToken(h);
  const std::string login = "/login.php?api_key=" + std::string(kApiKey) + "&v=1.0&auth_token=";

  const Answer form = h.get(login + token);
  EXPECT_EQ(form.status, 200);
  EXPECT_EQ(titleOf(form.body), "Log in");
  EXPECT_NE(form.body.find("name=\"auth_token\" value=\"" + token + "\""), std::string::npos);
  EXPECT_EQ(errorCode(h.call("facebook.auth.getSession", {{"auth_token", token}}).body), 100);

  httplib::Client noRedirects("127.0.0.1", h.port());
  auto submitted = noRedirects.Post("/login.php", "auth_token=" + token + "&email=a&pass=b",
                                    "application/x-www-form-urlencoded");
  ASSERT_TRUE(submitted);
  EXPECT_EQ(submitted->status, 302);
  const std::string location = submitted->get_header_value("Location");
  EXPECT_EQ(location.rfind(h.url() + "/desktopapp.php?", 0), 0u) << location;
  EXPECT_EQ(titleOf(h.get(location.substr(h.url().size())).body), "Login successful");
  EXPECT_EQ(errorCode(h.call("facebook.auth.getSession", {{"auth_token", token}}).body), 0);

  ASSERT_TRUE(h.control("/auto_login", R"({"enabled": true})").value("ok", false));
  const std::string second = createToken(h);
  auto autoLogin = noRedirects.Get((login + second).c_str());
  ASSERT_TRUE(autoLogin);
  EXPECT_EQ(autoLogin->status, 302);
  EXPECT_NE(autoLogin->get_header_value("Location").find("desktopapp.php"), std::string::npos);
  EXPECT_EQ(errorCode(h.call("facebook.auth.getSession", {{"auth_token", second}}).body), 0);

  EXPECT_EQ(h.get(login + "0123").status, 400);
  EXPECT_EQ(h.get("/login.php?api_key=nope&v=1.0&auth_token=" + second).status, 400);
}

TEST(MobileSite, PagesSayWhatTheyShow) {
  SimHarness h;
  const sim::Json state = h.controlGet("/state");
  const sim::Json friends = h.controlGet("/friends")["friends"];
  const std::string uid = std::to_string(friends[5]["uid"].get<int64_t>());
  const std::string name = friends[5]["name"].get<std::string>();
  const std::string user = state["user"]["name"].get<std::string>();
  const std::string gid = std::to_string(state["groups"][0]["gid"].get<int64_t>());
  const std::string eid = std::to_string(state["events"][0]["eid"].get<int64_t>());
  const std::pair<std::string, std::string> pages[] = {
      {"/home.php", "Home"},
      {"/inbox/", "Inbox"},
      {"/profile.php", "Profile of " + user},
      {"/wall.php", "Wall of " + user},
      {"/profile.php?id=" + uid, "Profile of " + name},
      {"/wall.php?id=" + uid, "Wall of " + name},
      {"/poke.php?id=" + uid, "Poke " + name},
      {"/photo_search.php?id=" + uid, "Photos of " + name},
      {"/photos.php?id=" + uid, "Albums of " + name},
      {"/notes.php?id=" + uid, "Notes of " + name},
      {"/addfriend.php?id=" + std::to_string(state["strangers"][0]["uid"].get<int64_t>()),
       "Add " + state["strangers"][0]["name"].get<std::string>() + " as a friend"},
      {"/event.php?eid=" + eid, "Event: Summer Barbecue at the Lake"},
      {"/group.php?gid=" + gid, "Group: Linux Users of Springfield"},
  };
  for (const auto& [path, title] : pages) {
    const Answer page = h.get(path);
    EXPECT_EQ(page.status, 200) << path;
    EXPECT_EQ(titleOf(page.body), title) << path;
  }
  // The special names are escaped in the page.
  EXPECT_EQ(
      titleOf(h.get("/profile.php?id=" + std::to_string(friends[0]["uid"].get<int64_t>())).body),
      "Profile of Sam &amp; Max Lindqvist");
  const std::string missing[] = {"/nowhere.php",   "/poke.php",        "/poke.php?id=12x",
                                 "/wall.php?id=1", "/event.php?eid=1", "/group.php"};
  for (const std::string& path : missing) EXPECT_EQ(h.get(path).status, 404) << path;
}

TEST(Pictures, DistinctPerFriendStableAndSized) {
  SimHarness h;
  ASSERT_TRUE(h.login());
  const Answer answer =
      h.call("facebook.fql.query",
             {{"query",
               "select uid, pic_square, pic, pic_big from user where uid in (SELECT uid2 FROM "
               "friend WHERE uid1=" +
                   std::to_string(h.userUid()) + ")"}});
  pugi::xml_document doc;
  std::set<std::string> squares;
  int tallerThan150 = 0, shorterThan150 = 0;
  for (const pugi::xml_node user : topElement(doc, answer.body).children("user")) {
    const std::string square =
        h.get(std::string(user.child("pic_square").text().get()).substr(h.url().size())).body;
    const std::string pic =
        h.get(std::string(user.child("pic").text().get()).substr(h.url().size())).body;
    const std::string big =
        h.get(std::string(user.child("pic_big").text().get()).substr(h.url().size())).body;
    EXPECT_EQ(jpegSize(square), std::make_pair(50, 50));
    const auto [pw, ph] = jpegSize(pic);
    EXPECT_EQ(pw, 100);
    EXPECT_GE(ph, 100);
    EXPECT_LE(ph, 200);
    (ph > 150 ? tallerThan150 : shorterThan150)++;
    const auto [bw, bh] = jpegSize(big);
    EXPECT_EQ(bw, 200);
    EXPECT_NEAR(bh, 300, 30);
    squares.insert(square);
  }
  EXPECT_EQ(squares.size(), 30u);
  EXPECT_GT(tallerThan150, 0);
  EXPECT_GT(shorterThan150, 0);

  // A size set through the control API is the size served, for that picture only.
  const std::string uid = std::to_string(h.friendUids()[3]);
  const std::string other = std::to_string(h.friendUids()[4]);
  const auto before = jpegSize(h.get("/pics/s" + other + ".jpg").body);
  const std::pair<std::string, std::pair<int, int>> sizes[] = {
      {"standard", {100, 200}}, {"big", {240, 360}}, {"square", {64, 64}}};
  for (const auto& [kind, size] : sizes) {
    ASSERT_TRUE(h.control("/pictures", R"({"uid": )" + uid + R"(, "kind": ")" + kind +
                                           R"(", "width": )" + std::to_string(size.first) +
                                           R"(, "height": )" + std::to_string(size.second) + "}")
                    .value("ok", false));
  }
  EXPECT_EQ(jpegSize(h.get("/pics/s" + uid + ".jpg").body), std::make_pair(100, 200));
  EXPECT_EQ(jpegSize(h.get("/pics/n" + uid + ".jpg").body), std::make_pair(240, 360));
  EXPECT_EQ(jpegSize(h.get("/pics/q" + uid + ".jpg").body), std::make_pair(64, 64));
  EXPECT_EQ(jpegSize(h.get("/pics/s" + other + ".jpg").body), before);

  // The same seed draws the same picture in another server.
  const std::string path = "/pics/q" + other + ".jpg";
  SimHarness second;
  EXPECT_EQ(h.get(path).body, second.get(path).body);
}

TEST(AdsAndAddress, AdsRotateAndTheAddressIsTheCallers) {
  SimHarness h;
  std::set<std::string> ads;
  bool nonAscii = false;
  for (int i = 0; i < 6; ++i) {
    const Answer ad = h.post("/ad_source.php", "s=a7305518264c9de&e=UTF-8&f=html&y=text");
    EXPECT_EQ(ad.status, 200);
    const size_t href = ad.body.find("href=\"" + h.url() + "/ads/");
    ASSERT_NE(href, std::string::npos) << ad.body;
    const size_t text = ad.body.find("\">", href) + 2;
    const std::string words = ad.body.substr(text, ad.body.find("</a>") - text);
    EXPECT_GE(words.size(), 4u);
    for (const char c : words) nonAscii |= static_cast<unsigned char>(c) >= 0x80;
    ads.insert(words);
    const std::string landing = ad.body.substr(href + 6, text - 2 - href - 6);
    EXPECT_EQ(h.get(landing.substr(h.url().size())).status, 200);
  }
  EXPECT_EQ(ads.size(), 6u);
  EXPECT_TRUE(nonAscii);
  EXPECT_EQ(h.get("/verify/ip.php").body, "127.0.0.1");
}

TEST(AdsAndAddress, TheControlApiFixesTheirAnswers) {
  SimHarness h;
  const std::string ad = "<div>only <a href=\"http://example.invalid/x\">this</a></div>";
  const std::string form = "s=a7305518264c9de&e=UTF-8";
  struct Case {
    const char* what;
    std::string path, json;
    int adStatus;
    std::string adBody, address;  // "*" for the rotation
  };
  const Case cases[] = {
      {"fixed ad", "/ad", sim::dumpJson({{"html", ad}}), 200, ad, "127.0.0.1"},
      {"error status", "/ad", R"({"status": 500})", 500, ad, "127.0.0.1"},
      {"rotation again", "/ad", R"({"html": "", "status": 200})", 200, "*", "127.0.0.1"},
      {"fixed address", "/ip", R"({"answer": " 10.0.0.7\n"})", 200, "*", " 10.0.0.7\n"},
      {"empty address", "/ip", R"({"answer": ""})", 200, "*", ""},
      {"the caller's address", "/ip", "{}", 200, "*", "127.0.0.1"},
      {"another address", "/ip", R"({"answer": "x"})", 200, "*", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(h.control(c.path, c.json).value("ok", false));
    const Answer answer = h.post("/ad_source.php", form);
    EXPECT_EQ(answer.status, c.adStatus);
    if (c.adBody == "*") {
      EXPECT_NE(answer.body.find("<div class=\"ad\">"), std::string::npos) << answer.body;
    } else {
      EXPECT_EQ(answer.body, c.adBody);
    }
    EXPECT_EQ(h.get("/verify/ip.php").body, c.address);
  }
  ASSERT_TRUE(h.control("/ad", R"({"html": "<b>x</b>"})").value("ok", false));
  ASSERT_TRUE(h.control("/reset").value("ok", false));
  EXPECT_NE(h.post("/ad_source.php", form).body.find("<div class=\"ad\">"), std::string::npos);
  EXPECT_EQ(h.get("/verify/ip.php").body, "127.0.0.1");
  // The ad request's form body is still in the log as it arrived.
  const sim::Json log = h.controlGet("/requests")["requests"];
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["body"].get<std::string>(), form);
}

}  // namespace
}  // namespace simtest
