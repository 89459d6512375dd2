// The XML reader over real answer shapes: each row walks a fixtureText by a path and checks one
// lookup. Path segments: "name" or "name[i]" (child by name and index), "@i" (child at).
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <latch>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "api/responsedocument.h"
#include "api/statusoperations.h"
#include "api/xmltext.h"

namespace {

std::string fixtureText(const std::string& name) {
  std::ifstream in(std::string(VELTRANA_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

api::XmlNode walk(const api::XmlNode& from, const std::string& path) {
  api::XmlNode node = from;
  std::istringstream segments(path);
  std::string segment;
  while (std::getline(segments, segment, '/')) {
    if (segment.empty()) continue;
    if (segment[0] == '@') {
      node = node.childAt(std::stoul(segment.substr(1)));
      continue;
    }
    std::size_t index = 0;
    const std::size_t bracket = segment.find('[');
    if (bracket != std::string::npos) {
      index = std::stoul(segment.substr(bracket + 1));
      segment.resize(bracket);
    }
    node = node.child(segment, index);
  }
  return node;
}

constexpr const char* kAbsent = "<absent>";

// The rows of a range, each as its name and its uid.
std::string listed(const api::XmlNode::Children& rows) {
  std::string list;
  for (const api::XmlNode row : rows) {
    if (!list.empty()) list += ",";
    list += row.name() + " " + row.child("uid").text().value_or("-");
  }
  return list;
}

// The same rows stepped back from the end.
std::string listedBackwards(const api::XmlNode::Children& rows) {
  std::string list;
  for (auto row = rows.end(); row != rows.begin();) {
    if (!list.empty()) list += ",";
    --row;
    list += (*row).name() + " " + (*row).child("uid").text().value_or("-");
  }
  return list;
}

// What one lookup gives, as text: "text", "text:N", "count:NAME", "size", "empty", "name",
// "rows:NAME" and backwards "rows<:NAME" ("*": every element).
std::string lookup(const api::XmlNode& node, const std::string& op) {
  if (op.rfind("rows", 0) == 0) {
    const bool backwards = op[4] == '<';
    const std::string name = op.substr(backwards ? 6 : 5);
    const api::XmlNode::Children rows = name == "*" ? node.children() : node.children(name);
    if (!backwards) return listed(rows);
    const std::string list = listed(rows.reversed());
    return list == listedBackwards(rows) && listedBackwards(rows.reversed()) == listed(rows)
               ? list
               : "walks disagree";
  }
  if (op == "empty") return node.isEmpty() ? "yes" : "no";
  if (op == "size") return std::to_string(node.size());
  if (op == "name") return node.name();
  if (op.rfind("count:", 0) == 0) return std::to_string(node.count(op.substr(6)));
  std::size_t index = 0;
  if (op.rfind("text:", 0) == 0) index = std::stoul(op.substr(5));
  return node.text(index).value_or(kAbsent);
}

struct Row {
  const char* file;
  const char* path;
  const char* op;
  const char* expected;
};

const Row kRows[] = {
    // Texts trimmed at the ends, inner white space kept; the top element found by its plain
    // name although it carries namespace declarations.
    {"fql_one_friend_status_and_picture.xml", "fql_query_response/user/status/message", "text",
     "is  reading\ttwo  books"},
    {"fql_one_friend_status_and_picture.xml", "fql_query_response/user/pic_square", "text",
     "http://127.0.0.1/pics/s100234.jpg"},
    {"fql_one_friend_status_and_picture.xml", "fql_query_response/user/status/message", "text:1",
     kAbsent},
    {"fql_one_friend_status_and_picture.xml", "fql_query_response", "size", "5"},
    {"fql_one_friend_status_and_picture.xml", "", "size", "1"},
    {"fql_one_friend_status_and_picture.xml", "fql_query_response/user/birthday", "empty", "yes"},
    {"fql_one_friend_status_and_picture.xml", "fql_query_response/user/birthday/x", "text",
     kAbsent},
    // Empty content is an absent text, not an empty one.
    {"fql_status_message_empty.xml", "fql_query_response/user/status/message", "text", kAbsent},
    {"fql_status_message_empty.xml", "fql_query_response/user/status/message", "empty", "no"},
    {"fql_status_message_empty.xml", "fql_query_response/user[1]/status/message", "text", kAbsent},
    {"fql_status_message_empty.xml", "fql_query_response/user[1]/first_name", "text", kAbsent},
    {"fql_status_message_empty.xml", "fql_query_response/user[1]/first_name", "size", "0"},
    {"fql_status_message_empty.xml", "fql_query_response/user/first_name", "text", "Ann"},
    // Names match without regard to case.
    {"fql_uppercase_names.xml", "fql_query_response", "count:user", "2"},
    {"fql_uppercase_names.xml", "fql_query_response/user/uid", "text", "11"},
    {"fql_uppercase_names.xml", "FQL_QUERY_RESPONSE/User[1]/UID", "text", "12"},
    {"fql_uppercase_names.xml", "fql_query_response/user/name", "name", "Name"},
    // Open elements at the end of the answer are accepted.
    {"fql_missing_end_tag_at_end.xml", "fql_query_response", "count:user", "2"},
    {"fql_missing_end_tag_at_end.xml", "fql_query_response/user[1]/name", "text", "Second"},
    {"fql_cut_inside_last_text.xml", "fql_query_response/user/name", "text", "Cut Ri"},
    {"fql_cut_inside_last_text.xml", "fql_query_response/user/uid", "text", "31"},
    // References decoded; a numeric reference above 127 becomes its UTF-8 character.
    {"fql_references.xml", "fql_query_response/user/name", "text", "Tom & Jerry"},
    {"fql_references.xml", "fql_query_response/user/status/message", "text",
     "<b> \"quoted\" 'single'"},
    {"fql_references.xml", "fql_query_response/user/political", "text",
     "ABC \xc3\xa9t\xc3\xa9 caf\xc3\xa9"},
    {"fql_references.xml", "fql_query_response/user/hometown_location", "text",
     "padded by references"},
    {"fql_references.xml", "fql_query_response/user/timezone", "text", kAbsent},
    // References that name no character stay as written rather than cutting the text.
    {"fql_references.xml", "fql_query_response/user/about_me", "text",
     "x&#0;y &#xD800; &#x110000; &#99999999999; &bogus; &#x41 &"},
    // Text pieces around child elements; CDATA, comments, instructions and attributes are
    // never text. Size: 1 element + 3 pieces + 1 CDATA + 2 attributes.
    {"fql_mixed_content.xml", "fql_query_response/user/status", "text", "first"},
    {"fql_mixed_content.xml", "fql_query_response/user/status", "text:1", "second"},
    {"fql_mixed_content.xml", "fql_query_response/user/status", "text:2", "third"},
    {"fql_mixed_content.xml", "fql_query_response/user/status", "text:3", kAbsent},
    {"fql_mixed_content.xml", "fql_query_response/user/status", "size", "7"},
    {"fql_mixed_content.xml", "fql_query_response/user/status/b", "text", "bold"},
    // Syntax errors give the empty handle.
    {"syntax_error_mismatched_tag.xml", "", "empty", "yes"},
    {"syntax_error_mismatched_tag.xml", "fql_query_response", "count:user", "0"},
    {"syntax_error_cut_inside_end_tag.xml", "", "empty", "yes"},
    {"syntax_error_empty_end_tag.xml", "", "empty", "yes"},
    {"proxy_error_page.html", "", "empty", "yes"},
    {"getsession_syntax_error.xml", "auth_getSession_response/session_key", "text", kAbsent},
    // Error answers.
    {"error_response_permission_250.xml", "error_response/error_code", "text", "250"},
    {"error_response_permission_250.xml", "fql_query_response", "empty", "yes"},
    {"error_response_permission_250.xml", "error_response/request_args/arg/value", "text",
     "facebook.users.setStatus"},
    // A prefixed name is found by its local part.
    {"fql_prefixed_names.xml", "fql_query_response/user/uid", "text", "61"},
    {"fql_prefixed_names.xml", "fb:fql_query_response/fb:user/fb:uid", "text", "61"},
    // Rows by index skip other elements; child at counts every element.
    {"fql_three_users.xml", "fql_query_response", "count:user", "3"},
    {"fql_three_users.xml", "fql_query_response/user[2]/uid", "text", "73"},
    {"fql_three_users.xml", "fql_query_response/user[3]", "empty", "yes"},
    {"fql_three_users.xml", "fql_query_response/@1", "name", "friend_info"},
    {"fql_three_users.xml", "fql_query_response/@3/uid", "text", "73"},
    {"fql_three_users.xml", "fql_query_response/@4", "empty", "yes"},
    // Ranges walk the same rows in order and backwards; character data, CDATA and comments
    // are never rows.
    {"fql_three_users.xml", "fql_query_response", "rows:user", "user 71,user 72,user 73"},
    {"fql_three_users.xml", "fql_query_response", "rows<:user", "user 73,user 72,user 71"},
    {"fql_three_users.xml", "fql_query_response", "rows<:*",
     "user 73,user 72,friend_info -,user 71"},
    {"fql_three_users.xml", "fql_query_response", "rows:", ""},
    {"fql_three_users.xml", "fql_query_response/user[2]/uid", "rows<:*", ""},
    {"fql_three_users.xml", "fql_query_response/absent", "rows<:user", ""},
    {"fql_uppercase_names.xml", "fql_query_response", "rows<:User", "user 12,USER 11"},
    {"fql_prefixed_names.xml", "fql_query_response", "rows<:user", "fb:user 61"},
    {"fql_prefixed_names.xml", "fql_query_response", "rows:FB:USER", "fb:user 61"},
    {"fql_prefixed_names.xml", "fql_query_response", "rows:b:user", ""},
    {"fql_mixed_content.xml", "fql_query_response/user/status", "rows:*", "b -"},
    // No declaration: the top element is still a child of the document.
    {"createtoken_without_declaration.xml", "auth_createToken_response", "text",
     "3e4f1a2b9c8d7e6f5a4b3c2d1e0f9a8b"},
    {"getsession_ok.xml", "auth_getSession_response/expires", "text", "1262304000"},
    // Whole only when the reader closed no element itself.
    {"getsession_ok.xml", "", "whole", "yes"},
    {"fql_three_users.xml", "", "whole", "yes"},
    {"fql_missing_end_tag_at_end.xml", "", "whole", "no"},
    {"fql_cut_inside_last_text.xml", "", "whole", "no"},
    {"syntax_error_mismatched_tag.xml", "", "whole", "no"},
};

class ResponseDocumentTable : public ::testing::TestWithParam<Row> {};

TEST_P(ResponseDocumentTable, Lookup) {
  const Row& row = GetParam();
  const api::ResponseDocument document = api::ResponseDocument::parse(fixtureText(row.file));
  const std::string found = std::string(row.op) == "whole"
                                ? (document.isWhole() ? "yes" : "no")
                                : lookup(walk(document, row.path), row.op);
  EXPECT_EQ(found, row.expected) << row.file << " " << row.path << " " << row.op;
}

INSTANTIATE_TEST_SUITE_P(Answers, ResponseDocumentTable, ::testing::ValuesIn(kRows));

// The one-call readers whose results are kept (a picture address fetched and stored, a status
// taken as set) accept an answer whole and refuse it cut before its last end tag. The login
// answers are cut against socialsim (simulator_integration_test.cpp).
TEST(CutAnswers, ReadersWhoseResultsAreKeptRefuseThem) {
  const auto setStatus = [](const std::string& text) {
    return api::readSetStatusAnswer(text) == api::SetStatusResult::Done;
  };
  const auto oneFriend = [](const std::string& text) {
    return api::readOneFriendAnswer(text, "pic_square").result == api::OneFriendResult::Both;
  };
  const struct {
    std::function<bool(const std::string&)> read;
    std::string whole;
  } rows[] = {
      {setStatus, "<users_setStatus_response>1</users_setStatus_response>"},
      {oneFriend,
       "<fql_query_response><user><status><message>out</message></status>"
       "<pic_square>http://127.0.0.1/pics/q5.jpg</pic_square></user></fql_query_response>"},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(row.read(row.whole)) << row.whole;
    const std::size_t lastEndTag = row.whole.rfind("</");
    EXPECT_FALSE(row.read(row.whole.substr(0, lastEndTag))) << row.whole;
    EXPECT_FALSE(row.read(row.whole.substr(0, lastEndTag - 3))) << row.whole;
  }
}

TEST(ResponseDocumentTest, EmptyAndWhitespaceTextsGiveTheEmptyHandle) {
  for (const char* text : {"", "   \n", "<?xml version=\"1.0\"?>\n"}) {
    const api::ResponseDocument document = api::ResponseDocument::parse(text);
    EXPECT_TRUE(document.isEmpty()) << '"' << text << '"';
    EXPECT_EQ(document.size(), 0u);
    EXPECT_FALSE(document.text().has_value());
  }
}

TEST(ResponseDocumentTest, HandlesKeepTheTreeAlive) {
  api::XmlNode message;
  {
    std::string answer = fixtureText("fql_one_friend_status_and_picture.xml");
    const api::ResponseDocument document = api::ResponseDocument::parse(answer);
    message = document.child("fql_query_response").child("user").child("status").child("message");
    answer.assign(answer.size(), 'x');  // the tree holds its own copy
  }
  EXPECT_EQ(message.text().value_or(kAbsent), "is  reading\ttwo  books");
  api::XmlNode row;
  for (const api::XmlNode user : api::ResponseDocument::parse(fixtureText("fql_three_users.xml"))
                                     .child("fql_query_response")
                                     .children("user")) {
    row = user;
  }
  EXPECT_EQ(row.child("uid").text().value_or(kAbsent), "73");
  const api::XmlNode copy = message;
  message = api::XmlNode();
  EXPECT_EQ(copy.name(), "message");
}

TEST(ResponseDocumentTest, IndexedWalksInEitherDirectionFindEveryRow) {
  std::string answer = "<fql_query_response>";
  for (int i = 0; i < 50; ++i) {
    answer += "<user><uid>" + std::to_string(i) + "</uid></user><other/>";
  }
  answer += "</fql_query_response>";
  const api::XmlNode top = api::ResponseDocument::parse(answer).child("fql_query_response");
  ASSERT_EQ(top.count("user"), 50u);
  for (int i = 49; i >= 0; --i) {
    EXPECT_EQ(top.child("user", i).child("uid").text().value_or(kAbsent), std::to_string(i));
  }
  for (int i : {0, 10, 11, 3, 49, 48, 2}) {
    EXPECT_EQ(top.child("USER", i).child("uid").text().value_or(kAbsent), std::to_string(i));
  }
  EXPECT_TRUE(top.child("user", 50).isEmpty());
  EXPECT_EQ(top.child("user", 7).child("uid").text().value_or(kAbsent), "7");
}

// An indexed lookup reads its own tree only: a later answer (perhaps parsed where a freed
// one was), a walk over another answer in between, or another thread's walk never lends its
// rows.
TEST(ResponseDocumentTest, IndexedWalksNeverTakeRowsOfAnotherAnswer) {
  const auto answer = [](const std::string& tag, int rows) {
    std::string text = "<fql_query_response>";
    for (int i = 0; i < rows; ++i)
      text += "<user><uid>" + tag + std::to_string(i) + "</uid></user>";
    return api::ResponseDocument::parse(text + "</fql_query_response>").child("fql_query_response");
  };
  const auto uidAt = [](const api::XmlNode& top, int i) {
    return top.child("user", static_cast<std::size_t>(i)).child("uid").text().value_or(kAbsent);
  };
  for (int round = 0; round < 20; ++round) {
    const std::string tag = "r" + std::to_string(round) + "-";
    EXPECT_EQ(uidAt(answer(tag, 5), 3), tag + "3");
  }
  const api::XmlNode a = answer("a", 30), b = answer("b", 30);
  for (int i = 29; i >= 0; --i) {
    EXPECT_EQ(uidAt(a, i), "a" + std::to_string(i));
    EXPECT_EQ(uidAt(b, 29 - i), "b" + std::to_string(29 - i));
  }
  int wrong = 0;
  std::thread other([&] {
    for (int i = 0; i < 30; ++i) wrong += uidAt(a, i) != "a" + std::to_string(i);
  });
  for (int i = 29; i >= 0; --i) EXPECT_EQ(uidAt(a, i), "a" + std::to_string(i));
  other.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace

namespace {

TEST(XmlTextTest, DecodesThenTrims) {
  const std::pair<const char*, const char*> cases[] = {
      {"a &amp; b", "a & b"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&#65;&#x42;&#x0043;&#68;", "ABCD"},
      {"&#233;&#xe9;&#x20AC;&#x1F600;", "\xc3\xa9\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},
      {"&#255;", "\xc3\xbf"},
      {"&#x10FFFF;", "\xf4\x8f\xbf\xbf"},
      {"&#0;&#x0;&#xDFFF;&#x110000;&#xG;&#;&#x;", "&#0;&#x0;&#xDFFF;&#x110000;&#xG;&#;&#x;"},
      {"AT&T; & a;b", "AT&T; & a;b"},
      {"&amp", "&amp"},
      {"  &#32;inner  space&#9;  ", "inner  space"},
      {"&#10;&#13;", nullptr},
      {" \t\r\n", nullptr},
      {"", nullptr},
      {"&amp;amp;", "&amp;"},
  };
  for (const auto& [raw, expected] : cases) {
    const std::optional<std::string> piece = api::textPiece(raw);
    EXPECT_EQ(piece.value_or("<absent>"), expected ? expected : "<absent>") << raw;
    EXPECT_EQ(api::isTextPiece(raw), expected != nullptr) << raw;
  }
}

}  // namespace

namespace {

// Each rule is checked on a parent looked up once and on one read field by field, and on
// a parent too wide to be read field by field.
TEST(XmlNodeTest, NamesMatchFoldedOrByLocalPartAndNeverPastTheirEnd) {
  std::string wide;
  for (int i = 0; i < 70; ++i) wide += "<f" + std::to_string(i) + "/>";
  const std::string xml =
      "<r>" + wide +
      "<userx>1</userx><a:User>2</a:User><b:c:uid>3</b:c:uid><Name>4</Name><na>5</na></r>";
  const auto parsed = [&](bool wideRow) {
    return api::ResponseDocument::parse(wideRow ? xml : std::string(xml).erase(3, wide.size()))
        .child("r");
  };
  const api::XmlNode rows[] = {parsed(false), parsed(true)};
  const std::pair<std::string, const char*> cases[] = {
      {"user", "2"},
      {"USERX", "1"},
      {"a:user", "2"},
      {"b:user", nullptr},
      {"uid", "3"},
      {"c:uid", nullptr},
      {"name", "4"},
      {"nam", nullptr},
      {"us", nullptr},
      {"na", "5"},
      {std::string("na\0", 3), nullptr},
      {std::string("na\0me", 5), nullptr},
      {"", nullptr},
      {"f69", nullptr},
  };
  for (const auto& [name, expected] : cases) {
    const std::string want = expected ? expected : "<absent>";
    EXPECT_EQ(parsed(false).child(name).text().value_or("<absent>"), want) << name;
    for (const api::XmlNode& row : rows) {
      EXPECT_EQ(row.child(name).text().value_or("<absent>"), want) << name;
      const api::XmlNode::Children matches = row.children(name);
      const std::string first = matches.begin() == matches.end()
                                    ? "<absent>"
                                    : (*matches.begin()).text().value_or("<absent>");
      EXPECT_EQ(first, want) << name;
    }
  }
  EXPECT_FALSE(rows[1].child("f69").isEmpty());

  // The one-walk reads give what the lookups give, for each name alone and for all at once,
  // with the group found on the same walk.
  std::vector<std::string_view> names;
  for (const auto& [name, expected] : cases) names.emplace_back(name);
  for (const api::XmlNode& row : rows) {
    std::vector<std::optional<std::string_view>> all(names.size());
    const api::XmlNode group = row.childTexts(names, all, "NAME");
    EXPECT_EQ(group.text().value_or("<absent>"), "4");
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string want = cases[i].second ? cases[i].second : "<absent>";
      std::optional<std::string_view> alone;
      row.childTexts(std::span(&names[i], 1), std::span(&alone, 1));
      EXPECT_EQ(std::string(all[i].value_or("<absent>")), want) << names[i];
      EXPECT_EQ(std::string(alone.value_or("<absent>")), want) << names[i];
      EXPECT_EQ(std::string(row.childText(names[i]).value_or("<absent>")), want) << names[i];
    }
  }
}

// References are expanded while parsing unless one of them would come out otherwise; either
// way every text reads as the decoding rule gives it, as a copy and as a view.
TEST(XmlNodeTest, TextsReadAlikeWhetherExpandedWhileParsingOrOnRead) {
  const std::pair<const char*, const char*> cases[] = {
      {"a &amp; b", "a & b"},
      {"&#233;&#xE9;&#x1F600;", "\xc3\xa9\xc3\xa9\xf0\x9f\x98\x80"},
      {"&#000000065;&#1;", "&#000000065;\x01"},
      {"&amp;#0;&amp;amp;", "&#0;&amp;"},
      {"  &#32;x&#9; ", "x"},
      {"&#10;&#13;", nullptr},
      {"AT&T; &nbsp;", "AT&T; &nbsp;"},
  };
  for (const auto& [raw, expected] : cases) {
    const std::string want = expected ? expected : "<absent>";
    // The second answer holds a reference to no character, which keeps the reader from
    // expanding any.
    for (const char* tail : {"", "<z>&#0;</z>"}) {
      const std::string xml =
          std::string("<r><a>") + raw + "</a><b><![CDATA[c]]>" + raw + "</b>" + tail + "</r>";
      const api::XmlNode r = api::ResponseDocument::parse(xml).child("r");
      EXPECT_EQ(r.child("a").text().value_or("<absent>"), want) << raw << tail;
      EXPECT_EQ(std::string(r.childText("a").value_or("<absent>")), want) << raw << tail;
      EXPECT_EQ(std::string(r.childText("b").value_or("<absent>")), want) << raw << tail;
      EXPECT_EQ(r.child("a").size(), expected ? 1U : 0U) << raw << tail;
    }
  }
  // A decoded view outlives the handle it was read from while the answer lives.
  const api::XmlNode r = api::ResponseDocument::parse("<r><a>&lt;&#0;</a></r>").child("r");
  const std::optional<std::string_view> view = api::XmlNode(r).child("a").textView();
  EXPECT_EQ(std::string(view.value_or("<absent>")), "<&#0;");
  EXPECT_EQ(std::string(r.childText("a").value_or("<absent>")), "<&#0;");
}

// A handle moved from, by any of the moves, is the empty handle, and what it was moved to
// reads on; in both reading modes.
TEST(XmlNodeTest, AHandleMovedFromIsTheEmptyHandle) {
  using Move = std::function<api::XmlNode(api::XmlNode&)>;
  const std::tuple<const char*, Move, const char*> moves[] = {
      {"construct", [](api::XmlNode& h) { return api::XmlNode(std::move(h)); }, "x&"},
      {"assign",
       [](api::XmlNode& h) {
         api::XmlNode to;
         to = std::move(h);
         return to;
       },
       "x&"},
      {"child found", [](api::XmlNode& h) { return std::move(h).child("b").child("c"); }, "y"},
      {"child absent", [](api::XmlNode& h) { return std::move(h).child("none"); }, kAbsent},
  };
  for (const char* tail : {"", "<z>&#0;</z>"}) {
    const api::ResponseDocument doc = api::ResponseDocument::parse(
        std::string("<r><a>x&amp;<b><c>y</c></b></a>") + tail + "</r>");
    for (const auto& [how, move, text] : moves) {
      api::XmlNode from = doc.child("r").child("a");
      const api::XmlNode to = move(from);
      EXPECT_TRUE(from.isEmpty()) << how << tail;
      EXPECT_EQ(from.size(), 0u) << how << tail;
      EXPECT_FALSE(from.text().has_value()) << how << tail;
      EXPECT_FALSE(from.childText("b").has_value()) << how << tail;
      EXPECT_EQ(to.text().value_or(kAbsent), text) << how << tail;
    }
  }
}

// Decoded texts of one answer read on two threads at once, started together: each reads
// every text as decoded, and both get the same piece.
TEST(XmlNodeTest, DecodedTextsReadOnSeveralThreadsAtOnce) {
  constexpr int kReadRows = 2000;
  std::string answer = "<r>";
  for (int i = 0; i < kReadRows; ++i) answer += "<u><n>n&amp;" + std::to_string(i) + "&#0;</n></u>";
  const api::XmlNode top = api::ResponseDocument::parse(answer + "</r>").child("r");
  std::vector<std::string_view> seen[2];
  std::latch start(2);
  const auto read = [&](std::vector<std::string_view>& views) {
    start.arrive_and_wait();
    for (const api::XmlNode u : top.children("u").reversed()) {
      views.push_back(u.childText("n").value_or(kAbsent));
    }
  };
  std::thread other(read, std::ref(seen[1]));
  read(seen[0]);
  other.join();
  ASSERT_EQ(seen[0].size(), static_cast<std::size_t>(kReadRows));
  ASSERT_EQ(seen[1].size(), static_cast<std::size_t>(kReadRows));
  for (int i = 0; i < kReadRows; ++i) {
    const std::string want = "n&" + std::to_string(kReadRows - 1 - i) + "&#0;";
    EXPECT_EQ(seen[0][i], want);
    EXPECT_EQ(seen[0][i].data(), seen[1][i].data()) << "one piece, decoded once";
  }
}

// Fields read from a row of one answer are never taken for those of another answer's row,
// even one parsed where the first was.
TEST(XmlNodeTest, FieldsReadOneAfterAnotherBelongToTheirAnswer) {
  for (int round = 0; round < 20; ++round) {
    const std::string tag = std::to_string(round);
    const api::XmlNode user =
        api::ResponseDocument::parse("<user><uid>" + tag + "</uid><name>n" + tag + "</name></user>")
            .child("user");
    EXPECT_EQ(user.child("uid").text().value_or(kAbsent), tag);
    EXPECT_EQ(user.child("name").text().value_or(kAbsent), "n" + tag);
    EXPECT_EQ(user.child("uid").text().value_or(kAbsent), tag);
  }
}

}  // namespace
