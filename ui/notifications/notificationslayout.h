#pragma once
// Where the notifications window puts its rows and the ad, from the text sizes measured at
// opening and the screen. Portrait screens stack the ad under the rows, landscape ones put it
// beside them. Kept apart from the widgets so it can be checked without a screen.
#include <array>

#include <QRect>

namespace ui::notifications {

struct TextSizes {
  int cx = 0;   // width of "Friend Requests: "
  int cy = 0;   // its height
  int cxw = 0;  // width of "Wall Posts: "
};

struct NotificationsLayout {
  std::array<QRect, 5> rows;  // rows 1 to 5
  QRect ad;
  QRect hint;  // right under the ad
  int gap = 0;
  int headerHeight = 0;
  bool portrait = true;
};

// `width` and `height` are the screen's; `top` is the window's top edge, so that the
// height between the title above and the soft keys below is height - 2 * top. Sizes that
// come out negative on a tiny screen are 0.
NotificationsLayout layOutNotifications(const TextSizes& text, int width, int height, int top);

}  // namespace ui::notifications
