#include "notificationslayout.h"

#include <algorithm>

namespace ui::notifications {
namespace {

int fraction(double f, int value) { return static_cast<int>(f * value); }

QRect box(int x, int y, int w, int h) { return QRect(x, y, std::max(0, w), std::max(0, h)); }

}  // namespace

NotificationsLayout layOutNotifications(const TextSizes& text, int W, int H, int T) {
  const int h = text.cy + 13;
  const int r = text.cy + 3;
  const int w = text.cx + 12;
  const int m = 5 * r + h + 18;
  const int u = H - 2 * T;
  const int f = u - m;
  const int n = text.cx + 31;
  int s = W - n;

  NotificationsLayout out;
  out.headerHeight = h;
  int x = 0, g = 0, adX = 0, adY = 0, adWidth = 0, a = 0;
  if (s <= f) {
    out.portrait = true;
    a = f - h;
    if (a > m || a > 0.7 * m) a = fraction(0.5, m);
    g = std::max(0, (u - a - m - h) / 8);
    x = W / 2 - text.cxw / 2 - 16;
    adX = W / 2 - fraction(0.4, W);
    adWidth = fraction(0.8, W);
  } else {
    out.portrait = false;
    if (s > n) s = fraction(0.8, n);
    const int k = (W - s - n) / 3;
    a = fraction(0.8, m - h);
    const int t = fraction(0.02, m - h);
    g = std::max(0, (u - 5 * r - h) / 8 - 5);
    x = k + 19;
    adX = 2 * k + w + 19 + (k < 2 ? 3 : 0);
    adY = h + t + 2 * g;
    adWidth = s - (k < 2 ? 1 : 0);
  }
  int y = h + 2 * g;
  for (QRect& row : out.rows) {
    row = box(x, y, w, r);
    y += r + g;
  }
  if (out.portrait) adY = out.rows[4].bottom() + 1 + g;
  // On a near-square screen the landscape ad would reach past the right edge.
  out.ad = box(adX, adY, std::min(adWidth, W - adX), a);
  out.hint = box(out.ad.left(), out.ad.top() + out.ad.height(), out.ad.width(), 2 * text.cy);
  out.gap = g;
  return out;
}

}  // namespace ui::notifications
