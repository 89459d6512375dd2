#pragma once
// Command ids, grouped by the window whose menu or soft keys carry them. The values are the
// menus' (and two controls') ids: the tests from outside send them to the main window as
// window messages.
namespace ui::cmd {

// The main menu (menu 102).
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

// The board's own commands: the next and previous pages, its rebuild from bf1.txt, and the
// focus button's click, which opens the friend of the selected cell.
inline constexpr int kNext = 32838;
inline constexpr int kRefreshBoard = 32851;
inline constexpr int kOpenSelectedFriend = 37106;
inline constexpr int kPrevious = 32839;

// The All Friends window's menu items ("Help" is the main menu's kHelp).
inline constexpr int kChooseBestFriends = 32866;
inline constexpr int kRemoveBestFriends = 32867;
inline constexpr int kAllFriends = 32868;

// The "Done" key of the simple dialogs (menus 103, 104 and 110); also the action key.
inline constexpr int kDone = 1;
// The main window's command of the ad button: opens the ad link.
inline constexpr int kOpenAd = 7;

// The friends search (menu 103).
inline constexpr int kSelectFriend = 32788;

// The status dialog (menus 108, 109, 110).
inline constexpr int kSelectPreset = 32797;
inline constexpr int kCancelPreset = 32798;
inline constexpr int kUpdateStatus = 32799;
inline constexpr int kCancelUpdate = 32800;
inline constexpr int kClearStatus = 32802;

// The friend page (menu 154), its Big Picture window (156), "All About Friend" (169) and the
// info window (163).
inline constexpr int kPageDone = 32823;
inline constexpr int kRefreshStatus = 32825;
inline constexpr int kAllAboutFriend = 32826;
inline constexpr int kBigPicture = 32828;
inline constexpr int kOpenFriendDetails = 32877;
inline constexpr int kCancelCategories = 32874;
inline constexpr int kSubmitCategories = 32875;
inline constexpr int kInfoDone = 32862;

// The notifications window (menus 105-107, 111, 112, 160).
inline constexpr int kAcceptRequest = 32791;
inline constexpr int kIgnoreRequest = 32792;
inline constexpr int kViewEvent = 32793;
inline constexpr int kIgnoreEvent = 32794;
inline constexpr int kViewGroup = 32795;
inline constexpr int kIgnoreGroup = 32796;
inline constexpr int kViewInboxRow = 32805;
inline constexpr int kCancelInbox = 32806;
inline constexpr int kViewWall = 32808;
inline constexpr int kCancelWall = 32809;
inline constexpr int kNotificationsDone = 32843;

// The change lists (menus 171 and 172).
inline constexpr int kBirthdaysDone = 32882;
inline constexpr int kRelationsDone = 32884;

// The picture picker of "Upload Photo" (menu 173).
inline constexpr int kOpenPhoto = 32831;
inline constexpr int kCancelPhoto = 32832;

}  // namespace ui::cmd
