#include "lastchecktime.h"

#include <cstdio>

#include "settingskeys.h"
#include "terminaltext.h"

namespace platform {
namespace {

// -1 also when the store refuses the write: the value is then not stored.
enum Result { kDone = 0, kValueMissing = 1, kFailed = -1 };

// The windows keep their text in a 256-byte buffer and clear its first 100 bytes when the
// value is missing; with the text held whole, clearing it shows the same empty text.
constexpr std::size_t kTextChars = 127;

}  // namespace

LastCheckTime::LastCheckTime(SettingsStore& store, std::function<std::string()> timeText)
    : store_(store), timeText_(std::move(timeText)) {
  if (!timeText_) timeText_ = formatTimeTextNow;
}

const std::u16string& LastCheckTime::text(Kind kind) const {
  return kind == Kind::Birthdays ? birthdays_ : relationships_;
}

int LastCheckTime::access(Kind kind, Mode mode) {
  const auto key = store_.openKey(keys::kFacebook);
  if (!key) return kFailed;

  const bool birthdays = kind == Kind::Birthdays;
  const char* valueName = birthdays ? keys::kLastBirthdaysUpdate : keys::kLastRelationsUpdate;
  std::u16string& text = birthdays ? birthdays_ : relationships_;

  if (mode == Mode::Write) {
    text = toUtf16(timeText_()).substr(0, kTextChars);
    // A write the store refused is reported: the caller must not show a time never kept.
    return store_.writeString(*key, valueName, text) ? kDone : kFailed;
  }

  if (auto stored = store_.readString(*key, valueName)) {
    text = std::move(*stored);
    std::printf(birthdays ? "LastBirthdaysUpdate was read successfully from reg.%s\n"
                          : "LastRelationsUpdate was read successfully from reg.%s\n",
                printable(toUtf8(text)).c_str());
    return kDone;
  }
  text.clear();
  std::printf(birthdays ? "No reg. entry for LastBirthdaysUpdate\n"
                        : "No reg. entry for LastRelationsUpdate\n");
  return kValueMissing;
}

}  // namespace platform
