// The reminder tests' peer programs, by their first argument:
//   notifyhelper record FILE [--hang]  a notification server on the session bus that writes
//                                      each Notify call to FILE as one JSON line and answers
//                                      with ids 1, 2, ...; with --hang it never answers
//   notifyhelper grab FILE             saves the X screen (DISPLAY) to FILE as PNG
// Both print "ready" once they can be used.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstring>

namespace {

class Recorder : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  Recorder(QString file, bool hang) : file_(std::move(file)), hang_(hang) {}

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout) {
    QJsonObject call{{"app", app},
                     {"replaces", static_cast<qint64>(replaces)},
                     {"icon", icon},
                     {"summary", summary},
                     {"body", body},
                     {"actions", actions.join(',')},
                     {"sound", hints.value("sound-name").toString()},
                     {"timeout", timeout}};
    QFile out(file_);
    if (out.open(QIODevice::Append)) {
      out.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + "\n");
    }
    if (hang_) setDelayedReply(true);  // and never send it
    return replaces ? replaces : ++lastId_;
  }
  QStringList GetCapabilities() { return {"body", "body-markup", "sound"}; }
  void CloseNotification(uint) {}
  QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion) {
    vendor = "tests";
    version = "1";
    protocolVersion = "1.2";
    return "recorder";
  }

 private:
  QString file_;
  bool hang_;
  uint lastId_ = 0;
};

int record(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Recorder recorder(QString::fromLocal8Bit(argv[2]),
                    argc > 3 && std::strcmp(argv[3], "--hang") == 0);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/freedesktop/Notifications", &recorder,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.Notifications")) {
    std::fprintf(stderr, "notifyhelper: cannot register on the session bus\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}

int grab(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  const bool saved =
      QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[2]));
  std::printf(saved ? "ready\n" : "not saved\n");
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "record") == 0) return record(argc, argv);
  if (argc >= 3 && std::strcmp(argv[1], "grab") == 0) return grab(argc, argv);
  std::fprintf(stderr, "usage: notifyhelper record FILE [--hang] | grab FILE\n");
  return 2;
}

#include "notifyhelper.moc"
