#include "desktopopenerwatch.h"

#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>

DesktopOpenerWatch::DesktopOpenerWatch(const QStringList& schemes) : oldPath_(qgetenv("PATH")) {
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    QFile script(folder_.filePath("xdg-open"));
    if (script.open(QIODevice::WriteOnly))
      script.write("#!/bin/sh\necho \"$@\" >> '" + marker().toUtf8() + "'\n");
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", folder_.path().toUtf8() + ":" + oldPath_);
    return;
  }
  schemes_ = schemes;
  for (const QString& scheme : schemes_) QDesktopServices::setUrlHandler(scheme, this, "open");
}

DesktopOpenerWatch::~DesktopOpenerWatch() {
  qputenv("PATH", oldPath_);
  for (const QString& scheme : schemes_) QDesktopServices::unsetUrlHandler(scheme);
}

bool DesktopOpenerWatch::opened() const { return QFile::exists(marker()); }

void DesktopOpenerWatch::reset() { QFile::remove(marker()); }

void DesktopOpenerWatch::open(const QUrl& url) {
  QFile file(marker());
  if (file.open(QIODevice::Append)) file.write(url.toEncoded() + "\n");
}
