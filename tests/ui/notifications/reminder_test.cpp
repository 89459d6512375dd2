// Reminders on a private session bus: against the tests' own recording notification server
// (the bodies as sent, each reminder replacing the last, a server that never
// answers, no server, no bus), and against a real dunst under Xvfb, read back with dunstctl.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "news/reminderbody.h"
#include "ui/notifications/desktopreminder.h"

namespace {

namespace n = ui::notifications;
constexpr int kWaitMs = 10000;

// A helper program that prints "ready" once it can be used.
class Peer {
 public:
  ~Peer() { stop(); }
  bool start(const QString& program, const QStringList& args,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    process_.setProcessEnvironment(env);
    process_.start(program, args);
    if (!process_.waitForStarted(kWaitMs)) return false;
    QByteArray out;
    while (!out.contains("ready") && process_.waitForReadyRead(kWaitMs))
      out += process_.readAllStandardOutput();
    return out.contains("ready");
  }
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(kWaitMs)) process_.kill();
    process_.waitForFinished(kWaitMs);
  }
  QProcess& process() { return process_; }

 private:
  QProcess process_;
};

std::vector<QJsonObject> recordedCalls(const QString& file) {
  std::vector<QJsonObject> calls;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return calls;
  for (const QByteArray& line : in.readAll().split('\n'))
    if (!line.isEmpty()) calls.push_back(QJsonDocument::fromJson(line).object());
  return calls;
}

news::NewsList newsOf(
    std::initializer_list<std::pair<const char*, std::vector<std::string>>> sections) {
  news::NewsList list;
  for (const auto& [header, items] : sections) list.addSection(header, items);
  return list;
}

class Reminders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
        << "the test runs on a private session bus (dbus-run-session)";
    file_ = dir_.filePath("calls.jsonl");
  }
  bool startRecorder(bool hang = false) {
    QStringList args{"record", file_};
    if (hang) args << "--hang";
    return recorder_.start(QStringLiteral(NOTIFY_HELPER), args);
  }
  QTemporaryDir dir_;
  QString file_;
  Peer recorder_;
};

TEST_F(Reminders, BodiesWithMarkupEscapedEachReplacingTheLast) {
  ASSERT_TRUE(startRecorder());
  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  const struct {
    news::NewsList news;
    QString body;
  } cases[] = {
      {newsOf({{news::kWallHeader, {}}, {news::kFriendRequestHeader, {"Tom & Jerry", "Bo"}}}),
       "New Wall Post\nNew Friend Request\n     - Tom &amp; Jerry\n       ...\n"},
      {newsOf({{news::kFriendRequestHeader, {"<b>Ann</b> \"Lee\""}}}),
       "New Friend Request\n     - &lt;b&gt;Ann&lt;/b&gt; \"Lee\"\n"},
  };
  qint64 previous = 0;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    reminder.raise(news::reminderBody(cases[i].news));
    ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() > static_cast<qsizetype>(i));
    const auto calls = recordedCalls(file_);
    ASSERT_EQ(calls.size(), i + 1);
    const QJsonObject& call = calls.back();
    EXPECT_EQ(call["app"].toString(), "Veltrana");
    EXPECT_EQ(call["summary"].toString(), "Veltrana");
    EXPECT_EQ(call["body"].toString(), cases[i].body) << i;
    EXPECT_EQ(call["sound"].toString(), "reminder");
    EXPECT_EQ(call["timeout"].toInt(), 0);
    EXPECT_EQ(call["replaces"].toInteger(), previous) << i;
    EXPECT_EQ(reminder.lastId(), 1u);
    previous = reminder.lastId();
  }
}

TEST_F(Reminders, AServerThatNeverAnswersDoesNotHoldUpTheWindow) {
  ASSERT_TRUE(startRecorder(true));
  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  reminder.raise("New Wall Post\n");
  // The call has reached the server; the caller's event loop runs on meanwhile.
  EXPECT_TRUE(QTest::qWaitFor([&] { return recordedCalls(file_).size() == 1; }, kWaitMs));
  QTest::qWait(200);
  EXPECT_EQ(answered.size(), 0);
  // The server goes away: the call fails and leaves nothing to replace.
  recorder_.stop();
  EXPECT_TRUE(answered.wait(kWaitMs) || answered.size() == 1);
  EXPECT_EQ(reminder.lastId(), 0u);
}

TEST_F(Reminders, NoServerAndNoBusShowAndReportNothing) {
  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  reminder.raise("New Wall Post\n");
  EXPECT_TRUE(answered.wait(kWaitMs) || answered.size() == 1);
  EXPECT_EQ(reminder.lastId(), 0u);

  n::DesktopReminder offBus(QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/veltrana-bus"), QStringLiteral("no-bus")));
  QSignalSpy never(&offBus, &n::DesktopReminder::answered);
  offBus.raise("New Wall Post\n");
  QTest::qWait(100);
  EXPECT_EQ(never.size(), 0);
  EXPECT_EQ(offBus.lastId(), 0u);
}

// dunst draws on an X display: Xvfb gives it one.
TEST(Dunst, ShowsTheReminderAsAUserSeesIt) {
  const QString dunstProgram = QStandardPaths::findExecutable("dunst");
  const QString dunstctl = QStandardPaths::findExecutable("dunstctl");
  const QString xvfbProgram = QStandardPaths::findExecutable("Xvfb");
  if (dunstProgram.isEmpty() || dunstctl.isEmpty() || xvfbProgram.isEmpty())
    GTEST_SKIP() << "dunst, dunstctl or Xvfb is not installed (scripts/install-deps)";
  ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());

  QProcess xvfb;
  xvfb.start(xvfbProgram, {"-displayfd", "1", "-screen", "0", "320x240x24", "-nolisten", "tcp"});
  QByteArray number;
  while (!number.contains('\n') && xvfb.waitForReadyRead(kWaitMs))
    number += xvfb.readAllStandardOutput();
  if (number.trimmed().isEmpty()) GTEST_SKIP() << "Xvfb did not start";
  const QString display = ":" + QString::fromLatin1(number.trimmed());

  QTemporaryDir dir;
  const QString config = dir.filePath("dunstrc");
  QFile rc(config);
  ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
  rc.write(
      "[global]\nmarkup = full\nfont = DejaVu Sans 9\nwidth = 300\norigin = top-right\n"
      "offset = 10x10\n");
  rc.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  QProcess dunst;
  dunst.setProcessEnvironment(env);
  dunst.start(dunstProgram, {"-conf", config});
  const bool up = QTest::qWaitFor(
      [] {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.freedesktop.Notifications"));
      },
      kWaitMs);
  if (!up) {
    xvfb.kill();
    xvfb.waitForFinished();
    GTEST_SKIP() << "dunst did not start: " << dunst.readAllStandardError().toStdString();
  }

  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  reminder.raise(news::reminderBody(newsOf({{news::kWallHeader, {}}})));
  ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() == 1);
  const uint32_t first = reminder.lastId();
  EXPECT_NE(first, 0u);
  const std::string body = news::reminderBody(
      newsOf({{news::kWallHeader, {}}, {news::kFriendRequestHeader, {"Tom & Jerry", "Bo Chen"}}}));
  reminder.raise(body);
  ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() == 2);
  EXPECT_EQ(reminder.lastId(), first);

  const auto run = [&](const QStringList& args) {
    QProcess ctl;
    ctl.start(dunstctl, args);
    ctl.waitForFinished(kWaitMs);
    return ctl.readAllStandardOutput();
  };
  EXPECT_EQ(run({"count", "displayed"}).trimmed(), "1");

  // The screen as the user sees it, for a look by eye.
  QTest::qWait(300);
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  Peer grab;
  EXPECT_TRUE(
      grab.start(QStringLiteral(NOTIFY_HELPER), {"grab", folder + "/reminder_dunst.png"}, env));

  // Closed by the user, it goes into the history with what was shown.
  run({"close-all"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return run({"count", "history"}).trimmed() == "1"; }, kWaitMs));
  const QJsonArray history =
      QJsonDocument::fromJson(run({"history"})).object()["data"].toArray().at(0).toArray();
  ASSERT_EQ(history.size(), 1);
  const QJsonObject shown = history.at(0).toObject();
  EXPECT_EQ(shown["summary"].toObject()["data"].toString(), "Veltrana");
  EXPECT_EQ(shown["appname"].toObject()["data"].toString(), "Veltrana");
  EXPECT_EQ(shown["body"].toObject()["data"].toString(),
            "New Wall Post\nNew Friend Request\n     - Tom &amp; Jerry\n       ...\n");

  dunst.terminate();
  dunst.waitForFinished(kWaitMs);
  xvfb.terminate();
  xvfb.waitForFinished(kWaitMs);
}

}  // namespace
