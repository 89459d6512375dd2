#include "loginbrowser/navigationpolicy.h"

#include <QDir>
#include <QFileInfo>

#include "platform/folders.h"

namespace orbisview {
namespace {

constexpr char kHelpFileName[] = "help.html";

bool isLocalFileAddress(const QUrl& url) {
  return url.isValid() && url.scheme() == QLatin1String("file") && url.host().isEmpty() &&
         !url.path().isEmpty();
}

bool isSameLocalFile(const QUrl& url, const QUrl& localPage) {
  return isLocalFileAddress(url) && isLocalFileAddress(localPage) &&
         url.query() == localPage.query() &&
         QDir::cleanPath(url.toLocalFile()) == QDir::cleanPath(localPage.toLocalFile());
}

}  // namespace

QStringList installedHelpPages() {
  QStringList pages;
  // Orbisview's own file, links followed: the installation it belongs to.
  const QString helper = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  if (!helper.isEmpty()) {
    const QString image = QString::fromUtf8(VELTRANA_IMAGE_FROM_HELPER);
    const QString folder = QDir::isAbsolutePath(image)
                               ? image
                               : QFileInfo(helper).absolutePath() + QLatin1Char('/') + image;
    pages << QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(kHelpFileName));
  }
  pages << QDir::cleanPath(QString::fromStdString(platform::programFilesFolder()) +
                           QStringLiteral("/Veltrana/") + QLatin1String(kHelpFileName));
  return pages;
}

bool isHelpPageAddress(const QUrl& url, const QStringList& helpPages) {
  return isLocalFileAddress(url) && !url.hasQuery() &&
         helpPages.contains(QDir::cleanPath(url.toLocalFile()));
}

bool isOpenableAddress(const QUrl& url, bool isMainFrame, const QUrl& localPage) {
  const QString scheme = url.scheme();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
    return !url.host().isEmpty();
  if (scheme == QLatin1String("about"))
    return url.path() == QLatin1String("blank") ||
           (!isMainFrame && url.path() == QLatin1String("srcdoc"));
  if (scheme == QLatin1String("data") || scheme == QLatin1String("blob")) return !isMainFrame;
  if (scheme == QLatin1String("file")) return isSameLocalFile(url, localPage);
  return false;
}

bool isHandedAddressOpenable(const QUrl& url, const QStringList& helpPages) {
  return isOpenableAddress(url, true, isHelpPageAddress(url, helpPages) ? url : QUrl());
}

}  // namespace orbisview
