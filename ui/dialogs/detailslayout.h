#pragma once
// Where the details dialog puts its controls: the status line grows to as many lines as the
// status needs, as far as the screen allows, and the six buttons share what is left below
// the local time. Pixels, rectangles as the platform gives them (bottom = top + height).
#include <array>

#include <QRect>
#include <QSize>

namespace ui {

struct DetailsLayoutInput {
  int screenWidth = 0;   // W
  int screenHeight = 0;  // H
  int dialogTop = 0;     // T: the top edge of the dialog's client area
  QRect name;            // the name label, in client coordinates
  // The status text as measured with the dialog's font: width, height, length in characters.
  int textWidth = 0;
  int textHeight = 0;
  int textLength = 0;
  QSize caption;  // "Local Time:" as the template sizes it
  QSize time;     // the time label as the template sizes it
};

struct DetailsLayout {
  int linesNeeded = 1;  // before the screen's height took lines away
  int lines = 1;
  // How many characters of the status fit the lines left; the text's length when none
  // were taken away.
  int shownLength = 0;
  bool cut = false;  // fewer than all: "..." follows the shown part
  QRect status, caption, time;
  // View Wall, Poke, Photos, Albums, View Profile, View Notes: two to a row.
  std::array<QRect, 6> buttons;
};

DetailsLayout layOutDetails(const DetailsLayoutInput& in);

}  // namespace ui
