#pragma once
// What the dialogs opened from the menu and the friend page work with, handed in by the
// program (and by the tests) instead of being looked up.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace api {
class ApiClient;
}
namespace friends {
class FriendStore;
}
namespace pictures {
class PictureCache;
}
namespace platform {
class ConnectionKeeper;
class MessageBoxes;
}  // namespace platform

namespace ui {

struct Fonts;
class UiState;

struct DialogContext {
  const friends::FriendStore& store;
  pictures::PictureCache& pictures;
  platform::ConnectionKeeper& connection;
  platform::MessageBoxes& boxes;
  const Fonts& fonts;
  UiState& ui;
  // The client of the current session, or nullptr when there is none; and the user's id.
  std::function<std::shared_ptr<api::ApiClient>()> client;
  std::function<uint32_t()> userId;
  // Opens a page of the mobile site (its root + `path`) in the companion browser.
  std::function<void(const std::string& path)> openMobilePage;
  // The time now, in seconds since 1970 UTC.
  std::function<std::time_t()> now = [] { return std::time(nullptr); };
};

}  // namespace ui
