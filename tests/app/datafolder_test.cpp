// Where the DataFolder is found, what is derived from it, and what the edition wipe deletes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <climits>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/datafolder.h"
#include "app/editioncheck.h"

namespace fs = std::filesystem;

TEST(DataFolder, InstallRootSearch) {
  const std::string main = "/pf";
  struct Case {
    const char* name;
    std::vector<platform::StorageCard> cards;
    std::set<std::string> installed;  // files that exist
    std::optional<std::string> root;
  } cases[] = {
      {"no cards, installed", {}, {"/pf/Veltrana/orbisview"}, "/pf"},
      {"no cards, not installed", {}, {}, std::nullopt},
      {"card with room and the program",
       {{"/c1", 20'000'000}},
       {"/c1/Program Files/Veltrana/orbisview", "/pf/Veltrana/orbisview"},
       "/c1/Program Files"},
      {"a card with exactly 10,000,000 bytes free is skipped",
       {{"/c1", 10'000'000}},
       {"/c1/Program Files/Veltrana/orbisview"},
       std::nullopt},
      {"a full card is skipped for the next one",
       {{"/c1", 5'000'000}, {"/c2", 10'000'001}},
       {"/c1/Program Files/Veltrana/orbisview", "/c2/Program Files/Veltrana/orbisview"},
       "/c2/Program Files"},
      {"only the first card with room is looked at",
       {{"/c1", 20'000'000}, {"/c2", 20'000'000}},
       {"/c2/Program Files/Veltrana/orbisview", "/pf/Veltrana/orbisview"},
       "/pf"},
      {"a card without the program leads to main memory",
       {{"/c1", 20'000'000}},
       {"/pf/Veltrana/orbisview"},
       "/pf"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const auto exists = [&](const std::string& path) { return test.installed.count(path) > 0; };
    EXPECT_EQ(app::findInstallRoot(test.cards, main, exists), test.root);
  }
}

TEST(DataFolder, DerivedPathsEndWhereTheyShould) {
  const auto data = app::DataFolder::at("/opt/pf");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->folder, "/opt/pf/Veltrana/");
  EXPECT_EQ(data->picSquare, "/opt/pf/Veltrana/pic_square/");
  EXPECT_EQ(data->pic, "/opt/pf/Veltrana/pic/");
  EXPECT_EQ(data->picBig, "/opt/pf/Veltrana/pic_big/");
  EXPECT_EQ(data->bf1, "/opt/pf/Veltrana/bf1.txt");
  EXPECT_EQ(data->vtS, "/opt/pf/Veltrana/vt_s.txt");
  EXPECT_EQ(data->status, "/opt/pf/Veltrana/status.txt");
  EXPECT_EQ(data->helpPage, "/opt/pf/Veltrana/help.html");
}

TEST(DataFolder, APathTooLongForItsDerivedPathsIsRefused) {
  // Longer than the phone's 100 bytes is fine; too long for a path is not.
  EXPECT_TRUE(app::DataFolder::at("/" + std::string(200, 'd')));
  const std::string longest(PATH_MAX - sizeof("/Veltrana/pic_square/"), 'd');
  EXPECT_TRUE(app::DataFolder::at(longest));
  EXPECT_FALSE(app::DataFolder::at(longest + "d"));
}

TEST(EditionCheck, DeletesOnlyTextFilesDirectlyInTheFolder) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  const std::string folder = root + "/Veltrana/";
  const std::string outside = root + "/outside.txt";
  fs::create_directories(folder + "pic_square");
  fs::create_directories(folder + "dir.txt");
  for (const char* name : {"bf.txt", "REL.TXT", "a.Txt", "x.txt.old", "txt", "pic_square/1.txt"})
    std::ofstream(folder + name) << "1*\n";
  std::ofstream(outside) << "keep\n";
  fs::create_symlink(outside, folder + "link.txt");

  EXPECT_EQ(app::deleteTextFiles(folder), 4);  // bf, REL, a and the link itself

  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"pic_square", "dir.txt", "x.txt.old", "txt"}));
  EXPECT_TRUE(fs::exists(folder + "pic_square/1.txt"));
  EXPECT_TRUE(fs::exists(outside));  // a link's target is never followed
}

TEST(EditionCheck, AMissingFolderDeletesNothing) {
  EXPECT_EQ(app::deleteTextFiles("/nonexistent-veltrana-folder/"), 0);
}
