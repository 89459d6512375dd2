#pragma once
// An X display of a test's own: Xvfb picks a free display number and says which
// (-displayfd); it ends with the object. For Qt tests (QProcess).
#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>

#include <string>

namespace testsupport {

class Xvfb {
 public:
  Xvfb() = default;
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  ~Xvfb() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
  }

  static bool installed() { return !QStandardPaths::findExecutable("Xvfb").isEmpty(); }

  // False when Xvfb is missing or has not named its display within `waitMs`.
  bool start(const QString& screen = QStringLiteral("640x480x24"), int waitMs = 10000) {
    const QString program = QStandardPaths::findExecutable("Xvfb");
    if (program.isEmpty()) return false;
    process_.start(program, {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
    QByteArray number;
    while (!number.contains('\n') && process_.waitForReadyRead(waitMs))
      number += process_.readAllStandardOutput();
    number = number.trimmed();
    if (number.isEmpty()) return false;
    display_ = ":" + number.toStdString();
    return true;
  }

  // ":N", once started.
  const std::string& display() const { return display_; }

 private:
  QProcess process_;
  std::string display_;
};

}  // namespace testsupport
