#pragma once
// trayhost.py as a process of the test: JSON lines out, commands in.
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

inline constexpr const char* kTrayHostPython = "/usr/bin/python3";

class TrayHost {
 public:
  static constexpr int kWaitMs = 15'000;

  ~TrayHost() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(3000);
  }
  // Whether the host can run here: python3 with dbus and gi.
  static bool available() {
    return QProcess::execute(kTrayHostPython, {"-c", "import dbus, gi.repository.GLib"}) == 0;
  }
  bool start() {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(kTrayHostPython, {QStringLiteral(TRAY_HOST)});
    return !next("event", "ready").isEmpty();
  }
  // The next line whose `key` is `value`; empty when none comes in time.
  QJsonObject next(const char* key, const QString& value, int timeoutMs = kWaitMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
      while (process_.canReadLine()) {
        QJsonObject line = QJsonDocument::fromJson(process_.readLine()).object();
        if (line.value(QLatin1String(key)).toString() == value) return line;
      }
      if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return {};
      process_.waitForReadyRead(100);
    }
  }
  QJsonObject ask(const QString& command) {
    process_.write((command + '\n').toUtf8());
    return next("answer", command.section(' ', 0, 0));
  }
  qsizetype items() { return ask("items")["services"].toArray().size(); }

 private:
  QProcess process_;
};
