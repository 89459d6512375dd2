#include "messageboxes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/terminaltext.h"

namespace platform {
namespace {

std::vector<int> buttonsOf(MbButtons buttons) {
  switch (buttons) {
    case MbButtons::Ok:
      return {kIdOk};
    case MbButtons::OkCancel:
      return {kIdOk, kIdCancel};
    case MbButtons::YesNo:
      return {kIdYes, kIdNo};
    case MbButtons::YesNoCancel:
      return {kIdYes, kIdNo, kIdCancel};
  }
  return {kIdOk};
}

int answerCode(const std::string& word) {
  std::string lower;
  for (char c : word) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (lower == "ok") return kIdOk;
  if (lower == "cancel") return kIdCancel;
  if (lower == "yes") return kIdYes;
  if (lower == "no") return kIdNo;
  return 0;
}

std::vector<int> answersFromEnvironment() {
  std::vector<int> answers;
  const char* list = std::getenv("VELTRANA_MESSAGEBOX_ANSWERS");
  if (!list) return answers;
  std::string text(list);
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    // An unknown word still takes its turn, so later answers meet the boxes they were for.
    answers.push_back(answerCode(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return answers;
}

}  // namespace

LogMessageBoxes::LogMessageBoxes() : answers_(answersFromEnvironment()) {}

LogMessageBoxes::LogMessageBoxes(std::vector<int> scriptedAnswers)
    : answers_(std::move(scriptedAnswers)) {}

int LogMessageBoxes::show(const MessageBoxRequest& request) {
  std::string line = request.caption + ": " + request.text;
  std::fprintf(stderr, "%s\n", printable(line).c_str());
  shown_.push_back(std::move(line));

  const std::vector<int> buttons = buttonsOf(request.buttons);
  const std::size_t defaultIndex =
      request.defaultButton > 0 && std::size_t(request.defaultButton) < buttons.size()
          ? std::size_t(request.defaultButton)
          : 0;
  int answer = buttons[defaultIndex];
  // A scripted answer the box has no button for cannot be given; the default stands then.
  if (next_ < answers_.size()) {
    const int scripted = answers_[next_++];
    for (int button : buttons) {
      if (button == scripted) answer = scripted;
    }
  }
  return answer;
}

}  // namespace platform
