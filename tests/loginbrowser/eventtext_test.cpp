#include "loginbrowser/eventtext.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include "loginbrowser/hiddenmessages.h"

using namespace orbisview;

namespace {

// An address whose "desktopapp.php" ends at character `end` of the address (1-based).
std::string addressWithNameEndingAt(std::size_t end) {
  const std::string head = "http://127.0.0.1:8080/";
  const std::string name = "desktopapp.php";
  return head + std::string(end - head.size() - name.size(), 'a') + name + "?next=home";
}

}  // namespace

TEST(EventText, FramePrefixIsElevenCharactersForEveryId) {
  for (uint32_t id : {0u, 0x1u, 0xabcdefu, 0xffffffffu}) {
    const std::string text = navigateCompleteText(id, "x");
    ASSERT_EQ(text.size(), 12u) << text;
    EXPECT_EQ(text.substr(0, 2), "0x");
    EXPECT_EQ(text[10], ' ');
  }
  EXPECT_EQ(navigateCompleteText(0xbeef, "http://h/"), "0x0000beef http://h/");
}

TEST(EventText, BeforeNavigateNamesAMissingTargetFrame) {
  const std::string frame = "main";
  EXPECT_EQ(beforeNavigateText(0x10, "http://h/", nullptr), "0x00000010 http://h/ (error)");
  EXPECT_EQ(beforeNavigateText(0x10, "http://h/", &frame), "0x00000010 http://h/ main");
}

TEST(EventText, DocumentCompleteTextIsCutAt127) {
  const std::string longAddress(300, 'z');
  const std::string text = documentCompleteText(0x1234, longAddress);
  EXPECT_EQ(text.size(), kDocumentTextMax);
  EXPECT_EQ(text, "0x00001234 " + std::string(116, 'z'));
  EXPECT_EQ(documentCompleteText(0x1234, "http://h/"), "0x00001234 http://h/");
}

TEST(EventText, LoginRuleSeesOnlyTheFirst116CharactersCaseSensitively) {
  struct Case {
    const char* what;
    std::string address;
    bool loginDone;
  };
  const Case cases[] = {
      {"name then query", "http://h/login/desktopapp.php?x", true},
      {"name at the end", "http://h/desktopapp.php", true},
      {"capital letters", "http://h/DESKTOPAPP.PHP", false},
      {"mixed case", "http://h/DesktopApp.php?x", false},
      {"other page", "http://h/login.php?api_key=1", false},
      {"name ends at 116", addressWithNameEndingAt(116), true},
      {"name ends at 117", addressWithNameEndingAt(117), false},
      {"name far beyond", addressWithNameEndingAt(400), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(isLoginCompleteText(documentCompleteText(0xffffffff, c.address)), c.loginDone);
    EXPECT_EQ(isLoginCompleteText(documentCompleteText(0, c.address)), c.loginDone);
  }
}

// Qt's messages, the pages' console lines among them, keep their text but not a token.
TEST(EventText, QtMessagesArePrintedWithTheirSecretsHidden) {
  hideSecretsInQtMessages();
  testing::internal::CaptureStderr();
  qWarning("%s", "Uncaught TypeError at http://h/login.php?v=1.0&auth_token=3fe9c1&x=1");
  const std::string printed = testing::internal::GetCapturedStderr();
  qInstallMessageHandler(nullptr);
  EXPECT_EQ(printed, "Uncaught TypeError at http://h/login.php?v=1.0&auth_token=[hidden]&x=1\n");
}

// A page's console line is printed as one line that sends the terminal nothing; Qt's own
// messages keep their line breaks, the rest escaped alike.
TEST(EventText, ConsoleLinesArePrintedEscapedOnOneLine) {
  hideSecretsInQtMessages();
  testing::internal::CaptureStderr();
  QMessageLogger("http://h/page", 3, nullptr, "js").warning("%s", "a\x1b[2Jb\nforged line");
  qWarning("%s", "first\nsecond\x1b]0;title\x07");
  const std::string printed = testing::internal::GetCapturedStderr();
  qInstallMessageHandler(nullptr);
  EXPECT_EQ(printed,
            "js: a\\x1b[2Jb\\x0aforged line\n"
            "first\nsecond\\x1b]0;title\\x07\n");
}
