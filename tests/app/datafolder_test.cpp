// Where the DataFolder is found, what is derived from it, and what the edition wipe deletes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "app/datafolder.h"
#include "app/editioncheck.h"
#include "support/scopedenv.h"

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

// This test program has no installation beside it, so the helper is the one in main memory,
// the user's own, even where a card with the program holds the DataFolder.
TEST(DataFolder, ACardHoldsTheDataButItsProgramNeverRuns) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  const std::string cardFolder = root + "/card/Program Files/Veltrana/";
  fs::create_directories(cardFolder);
  std::ofstream(cardFolder + "orbisview") << "#!/bin/sh\n";
  fs::permissions(cardFolder + "orbisview", fs::perms(0755));
  testsupport::ScopedEnv env;
  env.set("VELTRANA_STORAGE_CARDS", root + "/card");
  env.set("VELTRANA_PROGRAM_FILES", root + "/pf");
  app::LocateProblem problem{};
  app::FolderProblem setUpProblem;
  const auto data = app::locateDataFolder(&problem, &setUpProblem);
  ASSERT_TRUE(data) << int(problem);
  EXPECT_EQ(data->folder, cardFolder);
  EXPECT_EQ(data->helper, root + "/pf/Veltrana/orbisview");
  EXPECT_EQ(data->helpPage, root + "/pf/Veltrana/help.html");
}

// A card whose folders are links (into the user's files) or open to others is not used: the
// start takes the user's own DataFolder and says why in one line.
TEST(DataFolder, ACardWhoseFoldersAreNotRealIsNotUsed) {
  struct Case {
    const char* name;
    std::function<void(const std::string& card, const std::string& elsewhere)> spoil;
    const char* refused;  // the folder named, below the card; nullptr: the card is used
  };
  const auto linkTo = [](const std::string& link, const std::string& target) {
    fs::rename(link, target);
    fs::create_directory_symlink(target, link);
  };
  const std::string programFolder = "/Program Files/Veltrana";
  const Case cases[] = {
      {"real folders", [](const std::string&, const std::string&) {}, nullptr},
      {"\"Program Files\" is a link",
       [&](const std::string& card, const std::string& elsewhere) {
         linkTo(card + "/Program Files", elsewhere + "/pf");
       },
       "/Program Files: not a folder (a link or a file)"},
      {"\"Veltrana\" is a link",
       [&](const std::string& card, const std::string& elsewhere) {
         linkTo(card + programFolder, elsewhere + "/v");
       },
       "/Program Files/Veltrana: not a folder (a link or a file)"},
      {"pic_big is a link",
       [&](const std::string& card, const std::string& elsewhere) {
         linkTo(card + programFolder + "/pic_big", elsewhere + "/big");
       },
       "/Program Files/Veltrana/pic_big: not a folder (a link or a file)"},
      {"pic_square is writable by all",
       [&](const std::string& card, const std::string&) {
         fs::permissions(card + programFolder + "/pic_square", fs::perms::all);
       },
       "/Program Files/Veltrana/pic_square: writable by other users"},
      {"Veltrana is writable by its group",
       [&](const std::string& card, const std::string&) {
         fs::permissions(card + programFolder, fs::perms::group_write, fs::perm_options::add);
       },
       "/Program Files/Veltrana: writable by other users"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string card = root + "/card";
    fs::create_directories(card + programFolder + "/pic_square");
    fs::create_directories(card + programFolder + "/pic_big");
    for (const char* folder :
         {"/Program Files", "/Program Files/Veltrana", "/Program Files/Veltrana/pic_square",
          "/Program Files/Veltrana/pic_big"})
      fs::permissions(card + folder, fs::perms(0755));
    std::ofstream(card + programFolder + "/orbisview") << "#!/bin/sh\n";
    fs::create_directories(root + "/pf/Veltrana");
    std::ofstream(root + "/pf/Veltrana/orbisview") << "#!/bin/sh\n";
    fs::create_directories(root + "/elsewhere");
    c.spoil(card, root + "/elsewhere");
    testsupport::ScopedEnv env;
    env.set("VELTRANA_STORAGE_CARDS", card);
    env.set("VELTRANA_PROGRAM_FILES", root + "/pf");
    app::LocateProblem problem{};
    app::FolderProblem setUpProblem;
    ::testing::internal::CaptureStderr();
    const auto data = app::locateDataFolder(&problem, &setUpProblem);
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(data) << int(problem);
    if (!c.refused) {
      EXPECT_EQ(data->folder, card + programFolder + "/");
      EXPECT_EQ(err, "");
    } else {
      EXPECT_EQ(data->folder, root + "/pf/Veltrana/");
      EXPECT_EQ(err, "Veltrana does not use the storage card: " + card + c.refused + "\n");
    }
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
}

TEST(DataFolder, APathTooLongForItsDerivedPathsIsRefused) {
  // Longer than the phone's 100 bytes is fine; too long for a path is not.
  EXPECT_TRUE(app::DataFolder::at("/" + std::string(200, 'd')));
  const std::string longest(PATH_MAX - sizeof("/Veltrana/pic_square/"), 'd');
  EXPECT_TRUE(app::DataFolder::at(longest));
  EXPECT_FALSE(app::DataFolder::at(longest + "d"));
}

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned modeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}  // namespace

TEST(DataFolder, InstallationImageIsFoundBesideTheProgram) {
  QTemporaryDir dir;
  const std::string prefix = dir.path().toStdString() + "/pre fix";
  fs::create_directories(prefix + "/share/veltrana");
  EXPECT_FALSE(app::installationImageOf(prefix + "/bin/veltrana")) << "no helper";
  fs::create_directories(prefix + "/lib/veltrana");
  std::ofstream(prefix + "/lib/veltrana/orbisview") << "helper";
  const auto image = app::installationImageOf(prefix + "/bin/veltrana");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->helper, prefix + "/lib/veltrana/orbisview");
  EXPECT_EQ(image->folder, prefix + "/share/veltrana/");
  EXPECT_FALSE(app::installationImageOf(dir.path().toStdString() + "/build/app/veltrana"));
}

// The user's DataFolder set up or refreshed from the installation: the helper linked, the
// help page and the placeholders copied, the friends' data kept and closed to others.
TEST(DataFolder, SetUpFromTheInstallation) {
  using Prepare = std::function<void(const std::string& folder, const std::string& root)>;
  const auto write = [](const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  };
  const auto userData = [&](const std::string& folder) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms(0755));
    write(folder + "bf.txt", "1*cache\n");
    write(folder + "pic_square/42.jpg", "friend");
  };
  struct Case {
    const char* name;
    Prepare prepare;
    bool fromImage;  // afterwards the link and the copies are the image's
  } cases[] = {
      {"a new user: the folder and its parents are made", [](auto&, auto&) {}, true},
      {"an existing folder open to others, without the helper",
       [&](auto& folder, auto&) { userData(folder); }, true},
      {"an older installation: link, help page and placeholders are refreshed",
       [&](auto& folder, auto& root) {
         userData(folder);
         write(root + "/old/orbisview", "old helper");
         fs::create_symlink(root + "/old/orbisview", folder + "orbisview");
         write(folder + "help.html", "old help");
         write(folder + "pic_square/body.jpg", "old body");
       },
       true},
      {"a program installed there by hand is left alone",
       [&](auto& folder, auto&) {
         userData(folder);
         write(folder + "orbisview", "own helper");
         write(folder + "help.html", "own help");
       },
       false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const app::InstallationImage image{root + "/usr/lib/veltrana/orbisview",
                                       root + "/usr/share/veltrana/"};
    write(image.helper, "helper");
    for (const char* file : {"help.html", "pic_square/body.jpg", "pic_square/body_bf.jpg"})
      write(image.folder + file, std::string("image ") + file);
    const std::string folder = root + "/home/.local/share/Veltrana/";
    test.prepare(folder, root);
    const bool hadUserData = fs::exists(folder + "bf.txt");

    ASSERT_FALSE(app::setUpDataFolder(folder, image));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(fs::is_symlink(folder + "orbisview"), test.fromImage);
    if (test.fromImage) {
      EXPECT_EQ(fs::read_symlink(folder + "orbisview"), image.helper);
      for (const char* file : {"help.html", "pic_square/body.jpg", "pic_square/body_bf.jpg"})
        EXPECT_EQ(contents(folder + file), contents(image.folder + file)) << file;
    } else {
      EXPECT_EQ(contents(folder + "help.html"), "own help");
    }
    if (hadUserData) {
      EXPECT_EQ(contents(folder + "bf.txt"), "1*cache\n");
      EXPECT_EQ(contents(folder + "pic_square/42.jpg"), "friend");
    } else {
      EXPECT_EQ(modeOf(root + "/home/.local"), 0700u);
    }
    // Nothing left behind by the replacements, and a second start rewrites nothing.
    const auto before = fs::last_write_time(folder + "help.html");
    const auto entries = std::distance(fs::directory_iterator(folder), {});
    ASSERT_FALSE(app::setUpDataFolder(folder, image));
    EXPECT_EQ(fs::last_write_time(folder + "help.html"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), entries);
  }
}

// The folder named is the one that could not be made, a missing parent included.
TEST(DataFolder, AFolderThatCannotBeMadeIsNamedWithTheReason) {
  for (const std::string below : {"/file/Veltrana", "/file/share/Veltrana"}) {
    SCOPED_TRACE(below);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::ofstream(root + "/file") << "not a folder";
    const app::InstallationImage image{root + "/orbisview", root + "/image/"};
    const auto problem = app::setUpDataFolder(root + below + "/", image);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->folder, root + below.substr(0, below.find('/', 6)));
    EXPECT_EQ(problem->reason, "Not a directory");
    EXPECT_EQ(app::describe(*problem),
              "Veltrana cannot write to its folder: " + problem->folder + ": Not a directory");
  }
}

// A file of the installation that cannot be read is named with the real reason, not taken
// for a folder of the user's that cannot be written; nothing is linked meanwhile.
TEST(DataFolder, AnInstallationFileThatCannotBeReadIsNamedWithTheReason) {
  struct Case {
    const char* name;
    std::function<void(const std::string& file)> spoil;
    const char* reason;
  };
  std::vector<Case> cases = {
      // The reader follows no link, and opens nothing but a regular file: neither a FIFO's
      // writer nor /proc/self/mem's read error is waited for.
      {"a link",
       [](const std::string& file) {
         fs::remove(file);
         fs::create_symlink("/proc/self/mem", file);
       },
       "a symbolic link"},
      {"a FIFO",
       [](const std::string& file) {
         fs::remove(file);
         ::mkfifo(file.c_str(), 0644);
       },
       "not a regular file"},
      {"past the size of a picture",
       [](const std::string& file) { fs::resize_file(file, (2u << 20) + 1); },
       "larger than 2097152 bytes"},
  };
  if (::geteuid() != 0) {
    cases.push_back({"no permission",
                     [](const std::string& file) { fs::permissions(file, fs::perms::none); },
                     "Permission denied"});
    cases.push_back({"a folder that cannot be searched",
                     [](const std::string& file) {
                       fs::permissions(fs::path(file).parent_path(), fs::perms::owner_read);
                     },
                     "Permission denied"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const app::InstallationImage image{root + "/usr/lib/veltrana/orbisview",
                                       root + "/usr/share/veltrana/"};
    fs::create_directories(root + "/usr/lib/veltrana");
    std::ofstream(image.helper) << "helper";
    fs::create_directories(image.folder + "pic_square");
    for (const char* file : {"help.html", "pic_square/body.jpg", "pic_square/body_bf.jpg"})
      std::ofstream(image.folder + file) << file;
    const std::string file = image.folder + "pic_square/body.jpg";
    c.spoil(file);
    const std::string folder = root + "/home/Veltrana/";

    const auto problem = app::setUpDataFolder(folder, image);
    fs::permissions(fs::path(file).parent_path(), fs::perms::owner_all);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->access, app::FolderProblem::Access::Read);
    EXPECT_EQ(app::describe(*problem),
              "Veltrana cannot read its installation file: " + file + ": " + c.reason);
    EXPECT_FALSE(fs::exists(folder + "pic_square/body.jpg"));
    EXPECT_FALSE(fs::exists(folder + "orbisview"));
  }
}

// The helper's and the image's folders are the ones the build installs to, seen from the
// program's folder, wherever the prefix is; an absolute one is taken as it is.
TEST(DataFolder, InstallationImageFollowsTheConfiguredLayout) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  const std::string prefix = root + "/opt/vt";
  fs::create_directories(prefix + "/libexec/veltrana");
  std::ofstream(prefix + "/libexec/veltrana/orbisview") << "helper";
  fs::create_directories(prefix + "/share/games/veltrana");
  fs::create_directories(root + "/data/veltrana");
  struct Case {
    app::InstallLayout layout;
    std::string image;  // empty: none found
  } cases[] = {
      {{"../libexec/veltrana", "../share/games/veltrana"}, prefix + "/share/games/veltrana/"},
      {{"../libexec/veltrana", root + "/data/veltrana"}, root + "/data/veltrana/"},
      {{"../libexec/veltrana", "../share/veltrana"}, ""},
      {{"../lib/veltrana", "../share/games/veltrana"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout.imageFolder);
    const auto image = app::installationImageOf(prefix + "/bin/veltrana", c.layout);
    ASSERT_EQ(image.has_value(), !c.image.empty());
    if (!image) continue;
    EXPECT_EQ(image->helper, prefix + "/libexec/veltrana/orbisview");
    EXPECT_EQ(image->folder, c.image);
  }
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
