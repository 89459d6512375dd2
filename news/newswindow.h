#pragma once
// What the poller asks of the notifications window. The window implements it; tests record
// the calls without a display.
#include <string>

namespace news {

class NewsWindow {
 public:
  virtual ~NewsWindow() = default;

  virtual void ShowWallPending() = 0;
  virtual void ShowMessagesPending() = 0;
  // Names as the answer gave them; ids are decimal digits.
  virtual void AddFriendRequest(const std::string& name, const std::string& uid) = 0;
  virtual void AddGroupInvite(const std::string& name, const std::string& gid) = 0;
  virtual void AddEventInvite(const std::string& name, const std::string& eid) = 0;
  virtual void SetHeaderNew() = 0;
  virtual void RebuildAdRow(bool focused) = 0;
  virtual void Repaint() = 0;
  // Shows the current ad on the window the ad line was last shown on.
  virtual void RefreshAdLine() = 0;
};

}  // namespace news
