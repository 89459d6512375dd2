// The last-update line the friends search shows, made at start from the stored value.
#include <gtest/gtest.h>

#include "app/lastupdate.h"

TEST(LastUpdateLine, TheStoredTimeOrNever) {
  EXPECT_EQ(app::lastUpdateLine(u"4/3/2009  9:5"), u"List Last Updated: 4/3/2009  9:5");
  // A new user, or a value that was never written.
  EXPECT_EQ(app::lastUpdateLine(u""), u"List Last Updated: Never");
}
