#include "loginbrowser/profilefolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <fstream>

using namespace orbisview;

namespace {

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(ProfileFolders, MadePrivateOrRefused) {
  QTemporaryDir root;
  const std::string base = root.path().toStdString();
  ::mkdir((base + "/open").c_str(), 0755);
  ::chmod((base + "/open").c_str(), 0755);
  ::mkdir((base + "/elsewhere").c_str(), 0755);
  ASSERT_EQ(::symlink((base + "/elsewhere").c_str(), (base + "/link").c_str()), 0);
  std::ofstream(base + "/file") << "x";

  struct Case {
    const char* what;
    std::string folder;
    bool made;
  };
  const Case cases[] = {
      {"missing, with missing parents", base + "/a/b/profile", true},
      {"open to others", base + "/open", true},
      {"a symbolic link to a folder", base + "/link", false},
      {"a file", base + "/file", false},
      {"relative", "profile", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    ASSERT_EQ(makePrivateFolder(c.folder, &error), c.made) << error;
    if (c.made) {
      EXPECT_EQ(modeOf(c.folder), 0700u);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
  // The parents it made are no wider than the folder; the target of the link is untouched.
  EXPECT_EQ(modeOf(base + "/a"), 0700u);
  EXPECT_EQ(modeOf(base + "/elsewhere"), 0755u);
}
