// "Upload Photo": only whole regular files are read; what the user sees for each outcome
// (cancel sends nothing, ".JPG" is reported, only a stored photo is a success); the picture
// dialog; and the bytes socialsim received.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <random>

#include "api/apiclient.h"
#include "api/md5hex.h"
#include "support/recordingboxes.h"
#include "support/scopedenv.h"
#include "support/simserver.h"
#include "support/simsession.h"
#include "support/tempfolder.h"
#include "ui/mainmenu/jpegfiledialog.h"
#include "ui/kit/phonescreen.h"
#include "ui/kit/menutable.h"
#include "ui/kit/softkeybar.h"
#include "ui/mainmenu/photoupload.h"

namespace {

using Outcome = ui::PhotoUpload::Outcome;
using testsupport::writeWhole;

constexpr const char* kStored =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<photos_upload_response><pid>7</pid>"
    "<aid>1</aid></photos_upload_response>";
constexpr const char* kRefused =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<error_response><error_code>324</error_code>"
    "<error_msg>Requires upload file</error_msg></error_response>";

std::string randomBytes(std::size_t n) {
  std::mt19937 random(42);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

TEST(PhotoUpload, ReadsOnlyWholeRegularFiles) {
  testsupport::TempFolder dir;
  const std::string picture = randomBytes(3000) + std::string(5, '\0');
  writeWhole(dir.path() + "a.jpg", picture);
  writeWhole(dir.path() + "empty.jpg", "");
  ASSERT_EQ(::mkfifo((dir.path() + "pipe.jpg").c_str(), 0600), 0);
  QDir().mkpath(QString::fromStdString(dir.path() + "folder.jpg"));
  ASSERT_EQ(::symlink((dir.path() + "a.jpg").c_str(), (dir.path() + "link.jpg").c_str()), 0);
  writeWhole(dir.path() + "huge.jpg", "");
  ASSERT_EQ(::truncate((dir.path() + "huge.jpg").c_str(), 33 << 20), 0);

  const struct {
    const char* name;
    std::optional<std::string> bytes;
  } cases[] = {
      {"a.jpg", picture},           {"empty.jpg", std::string()},  // goes up as zero bytes
      {"pipe.jpg", std::nullopt},  // would wait for a writer, and has no end
      {"folder.jpg", std::nullopt}, {"missing.jpg", std::nullopt},
      {"link.jpg", picture},       // the user's choice: the file it names
      {"huge.jpg", std::nullopt},  // no camera's photo: it would only fill memory
  };
  for (const auto& c : cases)
    EXPECT_EQ(ui::PhotoUpload::readPicture(dir.path() + c.name), c.bytes) << c.name;
}

TEST(PhotoUpload, WhatTheUserSeesForEachOutcome) {
  testsupport::TempFolder dir;
  for (const char* name : {"ok.jpg", "SHOUT.JPG", "b.jpg", "line\nend.jpg"})
    writeWhole(dir.path() + name, "jpeg");
  constexpr const char* kAccess =
      "Veltrana: Veltrana can't access the image you selected. Try picking a different one.";
  constexpr const char* kName =
      "Veltrana: Veltrana can only upload a picture whose file name ends in \".jpg\". Rename the "
      "picture and try again.";
  const struct {
    std::string chosen;  // "" = cancelled
    api::CallOutcome sendResult;
    std::string answer;
    Outcome outcome;
    int sends;
    std::vector<std::string> boxes;
  } cases[] = {
      {"", api::CallOutcome::Done, kStored, Outcome::Cancelled, 0, {}},
      {"missing.jpg", api::CallOutcome::Done, kStored, Outcome::Unreadable, 0, {kAccess}},
      {"SHOUT.JPG", api::CallOutcome::Done, kStored, Outcome::Unnamed, 0, {kName}},
      // A line end would break the request's part header: refused, nothing sent.
      {"line\nend.jpg", api::CallOutcome::Done, kStored, Outcome::Unreadable, 0, {kAccess}},
      {"ok.jpg", api::CallOutcome::UploadNameRefused, "", Outcome::Unreadable, 1, {kAccess}},
      // Only an answer that says the photo was stored is a success.
      {"ok.jpg", api::CallOutcome::Done, kRefused, Outcome::Failed, 1, {}},
      {"ok.jpg",
       api::CallOutcome::Done,
       "<photos_upload_response><aid>1</aid>",
       Outcome::Failed,
       1,
       {}},
      {"ok.jpg", api::CallOutcome::Done, "<html>502 Bad Gateway</html>", Outcome::Failed, 1, {}},
      {"ok.jpg", api::CallOutcome::Failed, "", Outcome::Failed, 1, {}},
      {"b.jpg",
       api::CallOutcome::Done,
       kStored,
       Outcome::Uploaded,
       1,
       {"Veltrana: Image successfully uploaded!"}},
  };
  for (const auto& c : cases) {
    testsupport::RecordingBoxes boxes;
    int sends = 0;
    std::string sentPath;
    ui::PhotoUpload upload(
        boxes,
        [&](std::string_view picture, const std::string& path) {
          ++sends;
          sentPath = path;
          EXPECT_EQ(picture, "jpeg");
          api::CallResult result;
          result.outcome = c.sendResult;
          result.body = c.answer;
          return result;
        },
        [&](QWidget*) {
          return c.chosen.empty() ? QString() : QString::fromStdString(dir.path() + c.chosen);
        });
    EXPECT_EQ(upload.run(nullptr), c.outcome) << c.chosen;
    EXPECT_EQ(sends, c.sends) << c.chosen;
    EXPECT_EQ(boxes.shown(), c.boxes) << c.chosen;
    if (sends) {
      EXPECT_EQ(sentPath, dir.path() + c.chosen);
    }
  }
}

TEST(PhotoUpload, TheDialogTakesJpegFilesAndPreviewsThem) {
  ui::JpegFileDialog dialog(ui::PhoneScreen{}, nullptr);
  EXPECT_EQ(dialog.nameFilters(), QStringList{"JPEG Files (*.jpg)"});
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  dialog.showPreview(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/pic_square/body_bf.jpg"));
  EXPECT_FALSE(dialog.preview()->pixmap().isNull());
  dialog.showPreview(QStringLiteral(VELTRANA_SOURCE_DIR "/resources"));
  EXPECT_TRUE(dialog.preview()->pixmap().isNull());
}

// The dialog opens in the user's pictures folder (the one user-dirs.dirs names, else
// ~/Pictures) when it exists, else in the home folder; never in the working folder.
TEST(PhotoUpload, TheDialogStartsInThePicturesFolderElseAtHome) {
  struct Case {
    const char* userDirs;  // XDG_PICTURES_DIR's line, or nullptr for no user-dirs.dirs
    const char* made;      // the folder made under the home folder, or nullptr
    const char* expected;  // under the home folder
  } cases[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "Bilder", "/Bilder"},
      {nullptr, "Pictures", "/Pictures"},
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", nullptr, ""},
      {nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    QTemporaryDir home;
    const std::string root = home.path().toStdString();
    testsupport::ScopedEnv env;
    env.set("HOME", root);
    env.set("XDG_CONFIG_HOME", root + "/config");
    QDir().mkpath(home.path() + "/config");
    if (c.userDirs) writeWhole(root + "/config/user-dirs.dirs", c.userDirs);
    if (c.made) QDir().mkpath(home.path() + "/" + c.made);
    ui::JpegFileDialog dialog(ui::PhoneScreen{}, nullptr);
    EXPECT_EQ(dialog.directory().canonicalPath(), QDir(home.path() + c.expected).canonicalPath());
  }
}

// On the phone screen the dialog fits, every control inside it, and its soft keys pick the
// file ("Open") or leave ("Cancel", Escape).
TEST(PhotoUpload, TheDialogFitsThePhoneAndHasSoftKeys) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/pic_square/body_bf.jpg"),
                          dir.path() + "/beach.jpg"));
  const ui::PhoneScreen screen;
  for (const Qt::Key key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_Escape, Qt::Key_Return}) {
    SCOPED_TRACE(key);
    ui::JpegFileDialog dialog(screen, nullptr);
    dialog.setDirectory(dir.path());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.size(), screen.size());
    EXPECT_LE(dialog.minimumSizeHint().width(), screen.width);
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
      if (!child->isVisible() || child->isWindow()) continue;
      const QRect shown(child->mapTo(&dialog, QPoint(0, 0)), child->size());
      EXPECT_TRUE(dialog.rect().contains(shown)) << child->objectName().toStdString();
    }
    ASSERT_TRUE(dialog.softKeyBar());
    EXPECT_EQ(dialog.softKeyBar()->menuId(), ui::menu::kPhotoPicker);
    EXPECT_EQ(dialog.softKeyBar()->geometry().bottom(), dialog.height() - 1);
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(name);
    QTest::keyClicks(name, QStringLiteral("beach.jpg"));
    const QStringList beach{dir.path() + "/beach.jpg"};
    EXPECT_EQ(dialog.selectedFiles(), beach);
    if (key == Qt::Key_F1) {
      QDir().mkpath(QStringLiteral(VELTRANA_BINARY_DIR "/screenshots"));
      EXPECT_TRUE(dialog.grab().save(
          QStringLiteral(VELTRANA_BINARY_DIR "/screenshots/photopicker_240x320.png")));
    }
    QTest::keyClick(name, key);
    const bool opens = key == Qt::Key_F1 || key == Qt::Key_Return;
    EXPECT_EQ(dialog.result(), opens ? QDialog::Accepted : QDialog::Rejected);
    if (opens) {
      EXPECT_EQ(dialog.selectedFiles(), beach);
    }
  }
}

// Closing the picker gives the keys back to the window it was opened over, with no window
// manager to do it.
TEST(PhotoUpload, ThePickerGivesTheKeysBack) {
  QWidget owner;
  auto* edit = new QLineEdit(&owner);
  owner.show();
  owner.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
  edit->setFocus();
  QTimer::singleShot(0, [] {
    QWidget* picker = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&picker] {
      picker = QApplication::activeModalWidget();
      return picker && QApplication::activeWindow() == picker;
    }));
    if (picker) QTest::keyClick(picker, Qt::Key_F2);  // "Cancel"
  });
  EXPECT_TRUE(ui::pickJpegFile(ui::PhoneScreen{}, &owner).isEmpty());
  EXPECT_TRUE(QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; }, 3000));
  EXPECT_EQ(QApplication::activeWindow(), &owner);
}

// The real upload to socialsim, from a folder with a blank in its name.
TEST(PhotoUpload, SocialsimReceivesTheBytesExactly) {
  testsupport::SimServer sim;
  ASSERT_TRUE(sim.start({"--friends", "3"})) << sim.error();
  testsupport::TempFolder dir;
  platform::SettingsStore settings(dir.path() + "registry.db");
  testsupport::SimSession session;
  ASSERT_TRUE(testsupport::logIn(sim, settings, dir.path(), session));
  QDir().mkpath(QString::fromStdString(dir.path() + "my pictures"));
  const std::string photo = dir.path() + "my pictures/holiday.jpg";
  const std::string empty = dir.path() + "my pictures/empty.jpg";
  const std::string bytes = randomBytes(150'000);
  writeWhole(photo, bytes);
  writeWhole(empty, "");

  testsupport::RecordingBoxes boxes;
  std::string chosen;
  ui::PhotoUpload upload(
      boxes,
      [&](std::string_view picture, const std::string& path) {
        return session.client->photosUpload(picture, path);
      },
      [&](QWidget*) { return QString::fromStdString(chosen); });
  for (const std::string& file : {photo, empty}) {
    chosen = file;
    EXPECT_EQ(upload.run(nullptr), Outcome::Uploaded) << file;
  }
  // The server answers with an error: not a success, and nothing is said.
  ASSERT_EQ(sim.control("/faults", R"({"match": "facebook.photos.upload", "count": 1,
                                       "action": "error", "error_code": 324})")
                .status,
            200);
  boxes.clear();
  chosen = photo;
  EXPECT_EQ(upload.run(nullptr), Outcome::Failed);
  EXPECT_TRUE(boxes.shown().empty());

  const auto listed =
      nlohmann::json::parse(sim.request("GET", "/_sim/uploads").body, nullptr, false);
  ASSERT_FALSE(listed.is_discarded());
  const auto& uploads = listed["uploads"];
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(uploads[0]["size"].get<int64_t>(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(uploads[0]["md5"].get<std::string>(), api::md5Hex(bytes));
  EXPECT_EQ(uploads[0]["filename"].get<std::string>(), "holiday.jpg");
  EXPECT_EQ(uploads[1]["size"].get<int64_t>(), 0);
}

}  // namespace
