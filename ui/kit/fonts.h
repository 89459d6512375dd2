#pragma once
// The three fonts made once at start from the system font (the application font): italic,
// bold (weight 700) and small (0.8 of the height, truncated). They live for the whole run.
#include <QFont>

namespace ui {

struct Fonts {
  QFont italic;
  QFont bold;
  QFont small;

  static Fonts fromSystemFont(const QFont& system);
};

}  // namespace ui
