#pragma once
// What the poller asks of the notifications window. The window implements it; tests record
// the calls without a display.
#include <string>

namespace news {

class NewsWindow {
 public:
  virtual ~NewsWindow() = default;

  virtual void showWallPending() = 0;
  virtual void showMessagesPending() = 0;
  // Names as the answer gave them; ids are decimal digits.
  virtual void addFriendRequest(const std::string& name, const std::string& uid) = 0;
  virtual void addGroupInvite(const std::string& name, const std::string& gid) = 0;
  virtual void addEventInvite(const std::string& name, const std::string& eid) = 0;
  virtual void setHeaderNew() = 0;
  virtual void rebuildAdRow(bool focused) = 0;
  virtual void redraw() = 0;
  // Shows the current ad on the window the ad line was last shown on.
  virtual void refreshAdLine() = 0;
};

}  // namespace news
