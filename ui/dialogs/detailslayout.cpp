#include "detailslayout.h"

#include <algorithm>

namespace ui {

DetailsLayout layOutDetails(const DetailsLayoutInput& in) {
  DetailsLayout out;
  const int nameLeft = in.name.x();
  const int nameBottom = in.name.y() + in.name.height();
  const int usable = in.screenHeight - 2 * in.dialogTop;
  const int buttonWidth = std::max(0, (in.screenWidth - 15) / 2);
  // A screen too narrow for any status width would divide by zero below.
  const int statusWidth = std::max(1, in.screenWidth - 3 - nameLeft - 68);
  const int lineHeight = in.textHeight + 1;
  const int length = std::max(0, in.textLength);
  // The text's width plus 35 % of an average character for each character, as the wrapped
  // lines lose room at their ends. The average is whole pixels.
  // NOLINTBEGIN(bugprone-integer-division)
  const long long needed =
      length == 0 ? in.textWidth
                  : in.textWidth + static_cast<long long>(0.35 * (in.textWidth / length) * length);
  // NOLINTEND(bugprone-integer-division)

  int lines =
      statusWidth >= needed ? 1 : static_cast<int>((needed + statusWidth - 1) / statusWidth);
  lines = std::max(1, lines);
  out.linesNeeded = lines;
  const long long spare = static_cast<long long>(usable) - nameBottom -
                          static_cast<long long>(lines) * lineHeight - lineHeight - 4 -
                          3 * (lineHeight / 2 + in.textHeight + 5);
  if (spare < 0 && lineHeight > 0)
    lines = static_cast<int>(std::max<long long>(1, lines - (-spare) / lineHeight));
  out.lines = lines;
  // Multiplied before dividing: the ratio alone is 0 in whole numbers.
  out.shownLength =
      lines == out.linesNeeded
          ? length
          : static_cast<int>(static_cast<long long>(length) * lines / out.linesNeeded);
  out.cut = out.shownLength < length;

  out.status = QRect(nameLeft + 15, nameBottom, statusWidth, lines * lineHeight);
  const int timeTop = nameBottom + lines * lineHeight + 4;
  out.caption = QRect(nameLeft, timeTop, in.caption.width(), lineHeight);
  out.time = QRect(nameLeft + in.caption.width(), timeTop, in.time.width(), lineHeight);

  const int buttonHeight = std::max(0, (usable - (timeTop + lineHeight)) / 3 - 12);
  const int firstRow = timeTop + lineHeight + 4;
  for (int i = 0; i < 6; ++i) {
    const int row = i / 2;
    const int x = i % 2 == 0 ? 5 : buttonWidth + 10;
    out.buttons[static_cast<std::size_t>(i)] =
        QRect(x, firstRow + row * (buttonHeight + 4), buttonWidth, buttonHeight);
  }
  return out;
}

}  // namespace ui
