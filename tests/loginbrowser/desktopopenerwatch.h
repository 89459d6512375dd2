#pragma once
// Watches for an address handed to the desktop's handlers, which start other programs with
// it. On X11 Qt runs xdg-open, so a stand-in xdg-open first in PATH leaves a marker; other
// platforms (offscreen) start nothing, so there the hand-off is caught where Qt makes it,
// at QDesktopServices, for the schemes given.
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class DesktopOpenerWatch : public QObject {
  Q_OBJECT

 public:
  explicit DesktopOpenerWatch(const QStringList& schemes);
  ~DesktopOpenerWatch() override;

  bool opened() const;
  void reset();

 public slots:
  void open(const QUrl& url);

 private:
  QString marker() const { return folder_.filePath("opened"); }

  QTemporaryDir folder_;
  QByteArray oldPath_;
  QStringList schemes_;
};
