#pragma once
// The one order of friends' names, in every list that sorts them (Find a Friend, the change
// lists): the user's locale's collation, so that "Çağan" sorts among the C names and "Åsa"
// where a reader of that language looks for it. Names the collation finds equal keep a
// fixed order by their characters.
#include <QCollator>
#include <QString>

namespace ui {

class NameOrder {
 public:
  // The order of the default locale (QLocale()); English for the C locale.
  NameOrder();

  // Negative, zero or positive as `a` sorts before, with or after `b`.
  int compare(const QString& a, const QString& b) const;
  bool operator()(const QString& a, const QString& b) const { return compare(a, b) < 0; }

 private:
  QCollator collator_;
};

}  // namespace ui
