#include "loginbrowser/navigationpolicy.h"

#include <QDir>
#include <QFileInfo>

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

bool isHelpPageAddress(const QUrl& url) {
  return isLocalFileAddress(url) && !url.hasQuery() &&
         QFileInfo(url.toLocalFile()).fileName() == QLatin1String(kHelpFileName);
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

}  // namespace orbisview
