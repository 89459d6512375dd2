#pragma once
// Command ids of the main menu (menu 102) and the main window's own commands.
namespace ui::cmd {

inline constexpr int kFindFriend = 32783;
inline constexpr int kStatus = 32786;
inline constexpr int kFriends = 32817;
inline constexpr int kAbout = 32804;
inline constexpr int kUploadPhoto = 32830;
inline constexpr int kHelp = 32878;
inline constexpr int kNotifications = 32841;
inline constexpr int kBirthdays = 32864;
inline constexpr int kRelationChange = 32865;
inline constexpr int kViewHome = 32813;
inline constexpr int kViewInbox = 32812;
inline constexpr int kViewProfile = 32811;
inline constexpr int kHide = 32771;
inline constexpr int kExit = 32853;
// Leaves the program like "Exit"; sent by windows other than the menu.
inline constexpr int kExitQuiet = 32778;

inline constexpr int kNext = 32838;
inline constexpr int kRefreshBoard = 32851;
inline constexpr int kFocusButton = 37106;
// "Previous" of a further page of the board.
inline constexpr int kPrevious = 32839;

// The All Friends window's menu items ("Help" is the main menu's kHelp).
inline constexpr int kChooseBestFriends = 32866;
inline constexpr int kRemoveBestFriends = 32867;
inline constexpr int kAllFriends = 32868;

// The "Done" key of the simple dialogs (menus 103 and 104).
inline constexpr int kDone = 1;

}  // namespace ui::cmd
