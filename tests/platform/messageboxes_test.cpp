#include "platform/messageboxes.h"
#include "support/scopedenv.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform;

namespace {

MessageBoxRequest box(const char* caption, const char* text, MbIcon icon = MbIcon::None,
                      MbButtons buttons = MbButtons::Ok) {
  MessageBoxRequest request;
  request.caption = caption;
  request.text = text;
  request.icon = icon;
  request.buttons = buttons;
  return request;
}

struct AnswerCase {
  const char* name;
  MbButtons buttons;
  int defaultButton;
  std::vector<int> script;
  std::vector<int> answers;  // one box shown per entry
};

const AnswerCase kAnswers[] = {
    {"OkDefault", MbButtons::Ok, 0, {}, {kIdOk, kIdOk}},
    {"OkCancelDefault", MbButtons::OkCancel, 0, {}, {kIdOk}},
    {"OkCancelSecondDefault", MbButtons::OkCancel, 1, {}, {kIdCancel}},
    {"YesNoDefault", MbButtons::YesNo, 0, {}, {kIdYes}},
    {"YesNoCancelThirdDefault", MbButtons::YesNoCancel, 2, {}, {kIdCancel}},
    {"DefaultOutOfRangeIsFirst", MbButtons::YesNo, 5, {}, {kIdYes}},
    {"ScriptThenDefault", MbButtons::YesNo, 0, {kIdNo, kIdYes}, {kIdNo, kIdYes, kIdYes}},
    {"ScriptedAnswerWithoutButtonGivesDefault", MbButtons::Ok, 0, {kIdNo, kIdOk}, {kIdOk, kIdOk}},
    {"UnknownScriptEntryTakesItsTurn", MbButtons::OkCancel, 0, {0, kIdCancel}, {kIdOk, kIdCancel}},
};

class LogAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(LogAnswers, FollowDefaultAndScript) {
  const auto& c = GetParam();
  LogMessageBoxes boxes(c.script);
  MessageBoxRequest request = box("Veltrana", "text", MbIcon::Question, c.buttons);
  request.defaultButton = c.defaultButton;
  for (std::size_t i = 0; i < c.answers.size(); ++i) {
    EXPECT_EQ(boxes.show(request), c.answers[i]) << "box " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, LogAnswers, testing::ValuesIn(kAnswers),
                         [](const auto& row) { return std::string(row.param.name); });

// One box, one line: a name in a box's text must not start a line of its own.
TEST(LogMessageBoxes, WritesCaptionAndTextToStandardError) {
  LogMessageBoxes boxes(std::vector<int>{});
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  boxes.show(box("Error", "We cannot find Veltrana installation in memory.", MbIcon::Stop));
  boxes.show(box("Warning", "Your Internet connection down at this time.\nSecond line"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: We cannot find Veltrana installation in memory.\n"
            "Warning: Your Internet connection down at this time.\\x0aSecond line\n");
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0], "Error: We cannot find Veltrana installation in memory.");
}

TEST(LogMessageBoxes, AnswersFromTheEnvironment) {
  testsupport::ScopedEnv env;
  env.set("VELTRANA_MESSAGEBOX_ANSWERS", "no, CANCEL,bogus,ok");
  LogMessageBoxes boxes;
  env.set("VELTRANA_MESSAGEBOX_ANSWERS", std::nullopt);
  testing::internal::CaptureStderr();
  EXPECT_EQ(boxes.show(box("Q", "1", MbIcon::None, MbButtons::YesNoCancel)), kIdNo);
  EXPECT_EQ(boxes.show(box("Q", "2", MbIcon::None, MbButtons::YesNoCancel)), kIdCancel);
  EXPECT_EQ(boxes.show(box("Q", "3", MbIcon::None, MbButtons::YesNoCancel)), kIdYes);
  EXPECT_EQ(boxes.show(box("Q", "4", MbIcon::None, MbButtons::OkCancel)), kIdOk);
  EXPECT_EQ(boxes.show(box("Q", "5", MbIcon::None, MbButtons::OkCancel)), kIdOk);
  testing::internal::GetCapturedStderr();
}

}  // namespace
