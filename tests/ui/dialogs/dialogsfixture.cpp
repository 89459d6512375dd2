#include "dialogsfixture.h"

#include <QApplication>
#include <QDir>

#include <regex>

#include "platform/settingsstore.h"

namespace dialogstest {
namespace {

class RecordingBackend : public platform::ConnectionBackend {
 public:
  explicit RecordingBackend(std::vector<std::string>& events) : events_(events) {}
  std::vector<std::string> destinations() override { return {"The Internet"}; }
  bool connected() override { return true; }
  bool establish(int) override { return true; }
  void setPriority(platform::ConnectionPriority priority) override {
    events_.push_back(priority == platform::ConnectionPriority::UserIdle ? "idle" : "interactive");
  }
  void release() override { events_.push_back("release"); }

 private:
  std::vector<std::string>& events_;
};

}  // namespace

DialogsFixture::DialogsFixture()
    : connection(std::make_unique<RecordingBackend>(connectionEvents)),
      fonts(ui::Fonts::fromSystemFont(QApplication::font())),
      context{.store = store,
              .pictures = pictures,
              .connection = connection,
              .boxes = boxes,
              .fonts = fonts,
              .ui = ui,
              .client = [this] { return session.client; },
              .userId = [this] { return session.userId; },
              .openMobilePage = [this](const std::string& path) { openedPages.push_back(path); },
              .now = [this] { return now; }} {}

void DialogsFixture::SetUp() {
  testing::internal::CaptureStdout();
  connection.start();
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(sim.start({"--friends", "3"})) << sim.error();
  sim.exportEndpoints();
  platform::SettingsStore settings(dir.path() + "registry.db");
  ASSERT_TRUE(testsupport::logIn(sim, settings, dir.path(), session));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(store.paths().picSquare)));
  setStatus("", "");  // the generated user has one
  connectionEvents.clear();
}

std::string DialogsFixture::addFriend(const std::string& name) {
  const auto answer = sim.control("/friends/add", R"({"name": ")" + name + "\"}");
  std::smatch uid;
  EXPECT_TRUE(std::regex_search(answer.body, uid, std::regex(R"re("uid"\s*:\s*(\d+))re")))
      << answer.body;
  return uid.size() > 1 ? uid[1].str() : std::string();
}

void DialogsFixture::setStatus(const std::string& uid, const std::string& message) {
  const std::string who = uid.empty() ? "" : R"("uid": )" + uid + ", ";
  EXPECT_EQ(sim.control("/status", "{" + who + R"("message": ")" + message + "\"}").status, 200);
}

void DialogsFixture::writeAllFriends(const std::vector<std::vector<std::string>>& friends) {
  std::string text;
  for (const auto& f : friends) text += f.at(0) + "*" + f.at(1) + "*" + f.at(2) + "*****\n";
  testsupport::writeWhole(store.paths().bf, text);
}

QString DialogsFixture::screenshotPath(const QString& name) {
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return folder + "/" + name;
}

}  // namespace dialogstest
