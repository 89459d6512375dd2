#pragma once
// The menu resources by id. A menu is a soft-key bar: one or two keys, left then right; a
// key either sends its command or opens a popup of items (which may hold further popups).
#include <vector>

#include <QString>

namespace ui {

struct MenuItem {
  QString text;  // empty for a separator
  int id = 0;    // the command sent; 0 for a popup or a separator
  std::vector<MenuItem> popup;

  bool isSeparator() const { return text.isEmpty(); }
  bool isPopup() const { return !popup.empty(); }
};

// A soft key is a top-level item of a menu resource.
using SoftKey = MenuItem;

struct MenuResource {
  int id = 0;
  std::vector<SoftKey> keys;  // [0] left, [1] right
};

// Menu ids of the resources in the table.
namespace menu {
inline constexpr int kMain = 102;
inline constexpr int kDoneSelectFriend = 103;
inline constexpr int kDone = 104;
// The notifications window's lists (105-107) and rows (111, 112), and its idle bar (160).
inline constexpr int kFriendRequest = 105;
inline constexpr int kEventInvite = 106;
inline constexpr int kGroupInvite = 107;
inline constexpr int kWallPending = 111;
inline constexpr int kInboxPending = 112;
inline constexpr int kNotifications = 160;
// The status dialog: a preset highlighted (108), a text to send (109), idle with a status (110).
inline constexpr int kStatusPreset = 108;
inline constexpr int kStatusUpdate = 109;
inline constexpr int kStatusIdle = 110;
inline constexpr int kFriendPage = 154;
inline constexpr int kBigPicture = 156;
inline constexpr int kFriendInfo = 163;
inline constexpr int kAllAboutFriend = 169;
inline constexpr int kBirthdays = 171;
inline constexpr int kRelationChanges = 172;
inline constexpr int kAllFriends = 147;
inline constexpr int kRemoveMode = 148;
inline constexpr int kFurtherPage = 158;
inline constexpr int kPickMode = 167;
// The picture picker of "Upload Photo".
inline constexpr int kPhotoPicker = 173;
}  // namespace menu

// The built-in menu resource `id`, or nullptr when there is none.
const MenuResource* findMenu(int id);

// Every command id reachable from the menu, in menu order (popups included).
std::vector<int> commandIds(const MenuResource& menu);

}  // namespace ui
