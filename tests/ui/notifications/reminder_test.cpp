// Reminders on a private session bus: against the tests' own recording notification server
// (the bodies as sent, each reminder replacing the last, a server that never
// answers, no server, no bus, the default action and the clicks on it), and against a real
// dunst under Xvfb, read back and clicked with dunstctl.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
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

#include <functional>

#include "news/reminderbody.h"
#include "support/xvfb.h"
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
  // Writes `line` to the peer's input and waits until it prints `answer`.
  bool ask(const QByteArray& line, const QByteArray& answer) {
    process_.write(line + "\n");
    QByteArray out;
    while (!out.contains(answer) && process_.waitForReadyRead(kWaitMs))
      out += process_.readAllStandardOutput();
    return out.contains(answer);
  }

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

// The desktop entry the package installs, where the desktop looks up a reminder's program.
constexpr const char* desktopEntryFile = "com.corvanta.veltrana.desktop";

// A key's value in that entry ("Icon=" ...): the reminder must name what is installed.
QString desktopEntryValue(const char* key) {
  QFile entry(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/") + desktopEntryFile);
  if (!entry.open(QIODevice::ReadOnly)) return QStringLiteral("(no desktop entry)");
  for (const QByteArray& line : entry.readAll().split('\n'))
    if (line.startsWith(key)) return QString::fromUtf8(line.mid(QByteArray(key).size()));
  return {};
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
  bool startRecorder(bool hang = false, bool actions = false) {
    QStringList args{"record", file_};
    if (hang) args << "--hang";
    if (actions) args << "--actions";
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
    EXPECT_EQ(call["icon"].toString(), desktopEntryValue("Icon="));
    EXPECT_EQ(call["entry"].toString() + ".desktop", desktopEntryFile);
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

// The default action goes with the reminder only where the server shows actions; a server
// without them gets the call it always got.
TEST_F(Reminders, TheDefaultActionGoesOnlyToAServerWithActions) {
  for (const bool actions : {false, true}) {
    SCOPED_TRACE(actions ? "actions" : "no actions");
    recorder_.stop();
    QFile::remove(file_);
    ASSERT_TRUE(startRecorder(false, actions));
    n::DesktopReminder reminder;
    QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
    // The second one comes after the server's capabilities are known.
    for (int i = 0; i < 2; ++i) {
      reminder.raise("New Wall Post\n");
      ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() > i);
    }
    const auto calls = recordedCalls(file_);
    ASSERT_EQ(calls.size(), 2u);
    for (const QJsonObject& call : calls) {
      EXPECT_EQ(call["actions"].toString(), actions ? "default,Show the news" : "");
      EXPECT_EQ(call["body"].toString(), "New Wall Post\n");
    }
    EXPECT_EQ(calls[1]["replaces"].toInteger(), 1);
  }
}

// Only a click on the latest reminder opens the news: not another action of it, not another
// notification (a replaced one or another program's), not a signal sent in the server's name
// by some other client.
TEST_F(Reminders, OnlyTheDefaultActionOfTheLatestReminderOpens) {
  ASSERT_TRUE(startRecorder(false, true));
  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  QSignalSpy opened(&reminder, &n::DesktopReminder::opened);
  reminder.raise("New Wall Post\n");
  ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() == 1);
  const QByteArray latest = QByteArray::number(reminder.lastId());
  ASSERT_EQ(latest, "1");

  QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
  const auto fromOther = [&] {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
    signal << reminder.lastId() << QStringLiteral("default");
    other.send(signal);
    // Answered only after the bus has routed the signal: it comes before the server's next.
    other.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications"));
    return true;
  };
  const std::function<bool()> ignored[] = {
      [&] { return recorder_.ask("invoke 2 default", "invoked"); },
      [&] { return recorder_.ask("invoke " + latest + " other", "invoked"); },
      fromOther,
  };
  for (std::size_t i = 0; i < std::size(ignored); ++i) {
    ASSERT_TRUE(ignored[i]()) << i;
    // The server's signals arrive in order: the click after the ignored one is the only one.
    ASSERT_TRUE(recorder_.ask("invoke " + latest + " default", "invoked"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return opened.size() > static_cast<qsizetype>(i); }, kWaitMs));
    EXPECT_EQ(opened.size(), static_cast<qsizetype>(i + 1)) << i;
  }
  QDBusConnection::disconnectFromBus("other");
}

// dunst on an Xvfb display of its own; skips the test when one of them is missing.
class Dunst : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString dunstProgram = QStandardPaths::findExecutable("dunst");
    dunstctl_ = QStandardPaths::findExecutable("dunstctl");
    if (dunstProgram.isEmpty() || dunstctl_.isEmpty() || !testsupport::Xvfb::installed())
      GTEST_SKIP() << "dunst, dunstctl or Xvfb is not installed (scripts/install-deps --tests)";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());

    if (!xvfb_.start(QStringLiteral("320x240x24"), kWaitMs)) GTEST_SKIP() << "Xvfb did not start";
    env_.insert("DISPLAY", QString::fromStdString(xvfb_.display()));

    const QString config = dir_.filePath("dunstrc");
    QFile rc(config);
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(
        "[global]\nmarkup = full\nfont = DejaVu Sans 9\nwidth = 300\norigin = top-right\n"
        "offset = 10x10\n");
    rc.close();
    dunst_.setProcessEnvironment(env_);
    dunst_.start(dunstProgram, {"-conf", config});
    const bool up = QTest::qWaitFor(
        [] {
          return QDBusConnection::sessionBus().interface()->isServiceRegistered(
              QStringLiteral("org.freedesktop.Notifications"));
        },
        kWaitMs);
    if (!up) GTEST_SKIP() << "dunst did not start: " << dunst_.readAllStandardError().toStdString();
  }
  void TearDown() override {
    if (dunst_.state() == QProcess::NotRunning) return;
    dunst_.terminate();
    if (!dunst_.waitForFinished(kWaitMs)) dunst_.kill();
    dunst_.waitForFinished(kWaitMs);
  }
  QByteArray run(const QStringList& args) {
    QProcess ctl;
    ctl.start(dunstctl_, args);
    ctl.waitForFinished(kWaitMs);
    return ctl.readAllStandardOutput();
  }

  QString dunstctl_;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
  QTemporaryDir dir_;
  testsupport::Xvfb xvfb_;
  QProcess dunst_;
};

TEST_F(Dunst, ShowsTheReminderAsAUserSeesIt) {
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

  EXPECT_EQ(run({"count", "displayed"}).trimmed(), "1");

  // The screen as the user sees it, for a look by eye.
  QTest::qWait(300);
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  Peer grab;
  EXPECT_TRUE(
      grab.start(QStringLiteral(NOTIFY_HELPER), {"grab", folder + "/reminder_dunst.png"}, env_));

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
}

// The user's click (dunst's "action" command on the topmost notification) on the reminder,
// also after it has replaced another.
TEST_F(Dunst, AClickOnTheReminderOpensTheNews) {
  n::DesktopReminder reminder;
  QSignalSpy answered(&reminder, &n::DesktopReminder::answered);
  QSignalSpy opened(&reminder, &n::DesktopReminder::opened);
  for (int i = 0; i < 2; ++i) {
    reminder.raise("New Wall Post\n");
    ASSERT_TRUE(answered.wait(kWaitMs) || answered.size() > i);
  }
  ASSERT_NE(reminder.lastId(), 0u);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return run({"count", "displayed"}).trimmed() == "1";
      },
      kWaitMs));
  run({"action", "0"});
  EXPECT_TRUE(opened.wait(kWaitMs) || opened.size() == 1);
  EXPECT_EQ(opened.size(), 1);
}

}  // namespace
