#include "lastupdate.h"

#include <cstdio>

#include "platform/settingskeys.h"
#include "platform/terminaltext.h"

namespace app {

platform::MessageBoxRequest startupNotice(const char* text) {
  platform::MessageBoxRequest request;
  request.caption = "Veltrana";
  request.text = text;
  request.icon = platform::MbIcon::None;
  request.buttons = platform::MbButtons::Ok;
  request.topmost = true;
  request.foreground = true;
  return request;
}

platform::Lookup<std::u16string> welcomeOrLastUpdate(platform::SettingsStore& store,
                                                     platform::MessageBoxes& boxes) {
  using Text = platform::Lookup<std::u16string>;
  const auto facebook = store.openKey(platform::keys::kFacebook);
  if (facebook.failed()) return Text::failure(facebook.error());
  if (!facebook) {
    boxes.show(startupNotice(
        "Welcome to the new edition of Veltrana. You will need to have a data plan to work "
        "with this application."));
    return std::nullopt;
  }
  auto text = store.readString(*facebook, platform::keys::kLastUpdate);
  if (text.failed()) return text;
  if (!text) {
    std::printf("No reg. entry for LastUpdate\n");
    return std::u16string();
  }
  std::printf("LastUpdate was read successfully from reg.%s\n",
              platform::printable(platform::toUtf8(*text)).c_str());
  return text;
}

std::u16string lastUpdateLine(const std::u16string& stored) {
  return u"List Last Updated: " + (stored.empty() ? std::u16string(u"Never") : stored);
}

}  // namespace app
