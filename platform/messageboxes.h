#pragma once
// User messages. One service shows them: Qt message boxes in the programs, or a headless log
// mode (VELTRANA_MESSAGEBOX=log) that writes "caption: text" to standard error and answers
// with the default button, or with the next answer of VELTRANA_MESSAGEBOX_ANSWERS (a comma
// list of ok, cancel, yes, no).
#include <string>
#include <vector>

namespace platform {

enum class MbIcon { None, Stop, Exclamation, Information, Question };
enum class MbButtons { Ok, OkCancel, YesNo, YesNoCancel };
// The platform's answer codes.
enum MbAnswer { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

struct MessageBoxRequest {
  std::string caption;
  std::string text;  // UTF-8
  MbIcon icon = MbIcon::None;
  MbButtons buttons = MbButtons::Ok;
  bool topmost = false;
  bool foreground = false;
  int defaultButton = 0;  // 0 = the first button
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box modally and returns the answer (kIdOk ...).
  virtual int show(const MessageBoxRequest& request) = 0;
};

// The headless mode; usable without Qt.
class LogMessageBoxes : public MessageBoxes {
 public:
  // Answers from VELTRANA_MESSAGEBOX_ANSWERS when set.
  LogMessageBoxes();
  explicit LogMessageBoxes(std::vector<int> scriptedAnswers);
  int show(const MessageBoxRequest& request) override;
  // Everything shown so far, "caption: text" each.
  const std::vector<std::string>& shown() const { return shown_; }

 private:
  std::vector<int> answers_;
  std::size_t next_ = 0;
  std::vector<std::string> shown_;
};

}  // namespace platform
