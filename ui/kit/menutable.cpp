#include "menutable.h"

#include "commandids.h"

namespace ui {
namespace {

MenuItem item(const char* text, int id) { return MenuItem{QString::fromUtf8(text), id, {}}; }
MenuItem popup(const char* text, std::vector<MenuItem> items) {
  return MenuItem{QString::fromUtf8(text), 0, std::move(items)};
}
MenuItem separator() { return MenuItem{}; }

std::vector<MenuResource> buildTable() {
  using namespace cmd;
  return {
      {menu::kMain,
       {popup("Menu",
              {item("Find a Friend", kFindFriend), item("Status", kStatus),
               item("Friends", kFriends), item("About", kAbout), item("Upload Photo", kUploadPhoto),
               item("Help", kHelp), separator(), item("Notifications", kNotifications),
               item("Birthdays", kBirthdays), item("Relation Change", kRelationChange), separator(),
               popup("View", {item("Home", kViewHome), item("Inbox", kViewInbox),
                              item("My Profile", kViewProfile)}),
               item("Hide", kHide), item("Exit", kExit)})}},
      {menu::kDoneSelectFriend, {item("Done", kDone), item("Select Friend", kSelectFriend)}},
      {menu::kDone, {item("Done", kDone)}},
      {menu::kFriendRequest, {item("Accept", kAcceptRequest), item("Ignore", kIgnoreRequest)}},
      {menu::kEventInvite, {item("View Event", kViewEvent), item("Ignore", kIgnoreEvent)}},
      {menu::kGroupInvite, {item("View Group", kViewGroup), item("Ignore", kIgnoreGroup)}},
      {menu::kStatusPreset, {item("Select", kSelectPreset), item("Cancel", kCancelPreset)}},
      {menu::kStatusUpdate, {item("Update Status", kUpdateStatus), item("Cancel", kCancelUpdate)}},
      {menu::kStatusIdle, {item("Done", kDone), item("Clear Status", kClearStatus)}},
      {menu::kWallPending, {item("View Wall", kViewWall), item("Cancel", kCancelWall)}},
      {menu::kInboxPending, {item("View Inbox", kViewInboxRow), item("Cancel", kCancelInbox)}},
      {menu::kNotifications, {item("Done", kNotificationsDone)}},
      {menu::kFriendPage,
       {item("Done", kPageDone),
        popup("Menu",
              {item("All About Friend", kAllAboutFriend), item("Refresh Status", kRefreshStatus),
               item("Big Picture", kBigPicture), item("Go Facebook", kOpenFriendDetails)})}},
      {menu::kBigPicture, {item("Done", kPageDone)}},
      {menu::kFriendInfo, {item("Done", kInfoDone)}},
      {menu::kAllAboutFriend,
       {item("Cancel", kCancelCategories), item("Submit", kSubmitCategories)}},
      {menu::kBirthdays, {item("Done", kBirthdaysDone)}},
      {menu::kRelationChanges, {item("Done", kRelationsDone)}},
      {menu::kPhotoPicker, {item("Open", kOpenPhoto), item("Cancel", kCancelPhoto)}},
      {menu::kAllFriends,
       {item("Done", kDone),
        popup("Menu", {item("Choose Best Friends", kChooseBestFriends),
                       item("Remove From Best Friends", kRemoveBestFriends),
                       item("All Friends", kAllFriends), item("Help", kHelp)})}},
      {menu::kRemoveMode,
       {item("Done", kDone), popup("Menu", {item("Remove From Best Friends", kRemoveBestFriends),
                                            item("All Friends", kAllFriends)})}},
      {menu::kFurtherPage, {item("Previous", kPrevious), item("Next", kNext)}},
      {menu::kPickMode,
       {item("Done", kDone), popup("Menu", {item("Choose Best Friends", kChooseBestFriends),
                                            item("All Friends", kAllFriends)})}},
  };
}

void collect(const std::vector<MenuItem>& items, std::vector<int>& ids) {
  for (const auto& entry : items) {
    if (entry.isPopup())
      collect(entry.popup, ids);
    else if (!entry.isSeparator())
      ids.push_back(entry.id);
  }
}

}  // namespace

const MenuResource* findMenu(int id) {
  static const std::vector<MenuResource> table = buildTable();
  for (const auto& resource : table)
    if (resource.id == id) return &resource;
  return nullptr;
}

std::vector<int> commandIds(const MenuResource& menu) {
  std::vector<int> ids;
  collect(menu.keys, ids);
  return ids;
}

}  // namespace ui
