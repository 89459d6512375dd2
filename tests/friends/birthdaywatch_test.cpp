// The birthday watch: the classification at fixed clocks, and one run over bdate.txt.
#include <gtest/gtest.h>

#include "friends/birthdaywatch.h"
#include "friends/cachepaths.h"
#include "friends/friendstore.h"
#include "support/recordingboxes.h"
#include "support/tempfolder.h"

namespace {

std::tm at(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

std::string when(const char* birthday, const std::tm& now) {
  const auto upcoming = friends::BirthdayWatch::classify(birthday, now);
  return upcoming ? upcoming->whenText() : "-";
}

TEST(BirthdayClassification, AtFixedClocks) {
  struct Row {
    const char* birthday;
    std::tm now;
    const char* expected;
  };
  const Row rows[] = {
      {"March 14, 1982", at(2024, 3, 14, 10, 0), "TODAY !!!"},  // -9 hours, same day
      {"March 14, 1982", at(2024, 3, 13, 10, 0), "In 15 hours"},
      {"March 14, 1982", at(2024, 3, 11, 2, 0), "In 71 hours"},
      {"March 14, 1982", at(2024, 3, 11, 0, 30), "-"},           // 72 hours
      {"March 14, 1982", at(2024, 3, 14, 0, 0), "TODAY !!!"},    // 1 hour, same day and month
      {"March 14, 1982", at(2024, 3, 14, 0, 30), "TODAY !!!"},   // 0 hours
      {"March 14, 1982", at(2024, 3, 14, 23, 59), "TODAY !!!"},  // -22 hours
      {"March 14, 1982", at(2024, 3, 15, 0, 30), "-"},           // -23 hours, the next day
      {"March 14, 1982", at(2024, 3, 16, 10, 0), "-"},
      {"January 1, 1990", at(2024, 11, 30, 10, 0), "-"},
      {"January 1", at(2024, 1, 1, 0, 30), "TODAY !!!"},
      {"December 31, 1970", at(2024, 12, 30, 12, 0), "In 13 hours"},
      {"May 5, 1975", at(2024, 5, 4, 10, 0), "In 15 hours"},  // one digit, then a comma
      {"May 5", at(2024, 5, 4, 10, 0), "In 15 hours"},
      {"May 15", at(2024, 5, 14, 10, 0), "In 15 hours"},
      // Past this year's date, next year's counts.
      {"January 1, 1990", at(2024, 12, 31, 10, 0), "In 15 hours"},
      {"January 2, 1990", at(2024, 12, 31, 10, 0), "In 39 hours"},
      {"January 3", at(2024, 12, 31, 10, 0), "In 63 hours"},
      {"January 3", at(2024, 12, 31, 0, 30), "-"},  // 72 hours
      {"January 2", at(2024, 12, 30, 10, 0), "In 63 hours"},
      {"January 2", at(2024, 1, 3, 10, 0), "-"},  // just past: next year's is far
      {"December 30", at(2024, 12, 31, 10, 0), "-"},
      // 29 February: its own day in a leap year, 28 February in a common one.
      {"February 29", at(2024, 2, 28, 10, 0), "In 15 hours"},
      {"February 29", at(2024, 2, 29, 10, 0), "TODAY !!!"},
      {"February 29", at(2023, 2, 27, 10, 0), "In 15 hours"},
      {"February 29", at(2023, 2, 28, 10, 0), "TODAY !!!"},
      {"February 29", at(2023, 2, 28, 0, 30), "TODAY !!!"},
      {"February 29", at(2023, 3, 1, 10, 0), "-"},
      {"February 29", at(2100, 2, 28, 10, 0), "TODAY !!!"},  // no leap year either
      {"February 28", at(2024, 2, 29, 10, 0), "-"},
      {"February 30", at(2024, 2, 28, 10, 0), "-"},
      {"Sept 3", at(2024, 9, 2, 10, 0), "In 15 hours"},
      {"march 14", at(2024, 3, 13, 10, 0), "-"},  // the month is case-sensitive
      {" March 14", at(2024, 3, 13, 10, 0), "-"},
      {"March", at(2024, 3, 13, 10, 0), "-"},
      {"March ", at(2024, 3, 13, 10, 0), "-"},
      {"March x4", at(2024, 3, 13, 10, 0), "-"},
      {"", at(2024, 3, 13, 10, 0), "-"},
  };
  for (const Row& row : rows) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M", &row.now);
    EXPECT_EQ(when(row.birthday, row.now), row.expected) << row.birthday << " at " << stamp;
  }
}

TEST(BirthdayWatch, ARunListsTheUpcomingOnesAndTellsOnce) {
  testsupport::TempFolder dir;
  const friends::FriendStore store(friends::CachePaths::inFolder(dir.path()));
  testsupport::writeWhole(store.paths().bdate,
                          "9*March 14, 1982*\n10*May 5*\n11**\n12*March 12*\n13*nonsense*\n"
                          "2*March 13*\n");
  testsupport::RecordingBoxes boxes;
  friends::BirthdayWatch watch(store, boxes, [] { return at(2024, 3, 13, 10, 0); });

  ::testing::internal::CaptureStdout();
  watch.run();
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "birthday is TODAY !!! \n"
            "birthday = March 14, 1982 is sooner than in 15 hours \n");
  EXPECT_EQ(watch.entries(), (std::vector<std::string>{"2*TODAY !!!*", "9*In 15 hours*"}));
  EXPECT_TRUE(watch.completed());
  EXPECT_EQ(boxes.shown(), std::vector<std::string>{
                               "Veltrana: Birthday(s) are coming up for some of your friends. If "
                               "you want to look at them go to \"Birthdays\" menu."});

  // Nothing upcoming, or no file: an empty list, no message, the flag set all the same.
  watch.clearCompleted();
  testsupport::writeWhole(store.paths().bdate, "9*July 1*\n");
  watch.run();
  EXPECT_TRUE(watch.entries().empty());
  EXPECT_TRUE(watch.completed());
  std::remove(store.paths().bdate.c_str());
  watch.run();
  EXPECT_TRUE(watch.entries().empty());
  EXPECT_EQ(boxes.shown().size(), 1u);
}

}  // namespace
