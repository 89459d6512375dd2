// The reminder tests' peer programs, by their first argument:
//   notifyhelper record FILE [--hang] [--actions]
//       a notification server on the session bus that writes each Notify call to FILE as one
//       JSON line and answers with ids 1, 2, ...; with --hang it never answers; with --actions
//       it lists "actions" among its capabilities, and a line "invoke ID KEY" on its standard
//       input makes it emit ActionInvoked(ID, KEY) (it prints "invoked" once sent)
//   notifyhelper grab FILE             saves the X screen (DISPLAY) to FILE as PNG
// Both print "ready" once they can be used.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

class Recorder : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  Recorder(QString file, bool hang, bool actions)
      : file_(std::move(file)), hang_(hang), actions_(actions) {}

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout) {
    const uint id = replaces ? replaces : ++lastId_;
    QJsonObject call{{"app", app},
                     {"id", static_cast<qint64>(id)},
                     {"replaces", static_cast<qint64>(replaces)},
                     {"icon", icon},
                     {"summary", summary},
                     {"body", body},
                     {"actions", actions.join(',')},
                     {"sound", hints.value("sound-name").toString()},
                     {"entry", hints.value("desktop-entry").toString()},
                     {"timeout", timeout}};
    QFile out(file_);
    if (out.open(QIODevice::Append)) {
      out.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + "\n");
    }
    if (hang_) setDelayedReply(true);  // and never send it
    return id;
  }
  QStringList GetCapabilities() {
    QStringList capabilities{"body", "body-markup", "sound"};
    if (actions_) capabilities << "actions";
    return capabilities;
  }
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
  bool actions_;
  uint lastId_ = 0;
};

// "invoke ID KEY" lines on standard input, each emitted as the server's ActionInvoked.
void invokeFromInput(QDBusConnection bus, QObject* parent) {
  auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, parent);
  QObject::connect(input, &QSocketNotifier::activated, parent, [bus, input] {
    static std::string pending;
    char chunk[256];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
      input->setEnabled(false);
      return;
    }
    pending.append(chunk, static_cast<std::size_t>(got));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const QStringList words = QString::fromStdString(pending.substr(0, end)).split(' ');
      pending.erase(0, end + 1);
      if (words.size() != 3 || words[0] != "invoke") continue;
      QDBusMessage signal = QDBusMessage::createSignal(
          "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
      signal << words[1].toUInt() << words[2];
      bus.send(signal);
      std::printf("invoked\n");
      std::fflush(stdout);
    }
  });
}

int record(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  bool hang = false;
  bool actions = false;
  for (int i = 3; i < argc; ++i) {
    hang = hang || std::strcmp(argv[i], "--hang") == 0;
    actions = actions || std::strcmp(argv[i], "--actions") == 0;
  }
  Recorder recorder(QString::fromLocal8Bit(argv[2]), hang, actions);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/freedesktop/Notifications", &recorder,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.Notifications")) {
    std::fprintf(stderr, "notifyhelper: cannot register on the session bus\n");
    return 1;
  }
  if (actions) invokeFromInput(bus, &app);
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
  std::fprintf(stderr, "usage: notifyhelper record FILE [--hang] [--actions] | grab FILE\n");
  return 2;
}

#include "notifyhelper.moc"
