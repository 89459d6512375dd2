#include "loginbrowser/browserprofile.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <cstdio>

#include "loginbrowser/profilefolders.h"
#include "platform/terminaltext.h"

namespace orbisview {

QWebEngineProfile* makeBrowserProfile(QObject* parent) {
  const ProfileFolders folders = profileFolders();
  std::string error;
  QWebEngineProfile* profile = nullptr;
  // The engine's folder too: one left open by an earlier run is the user's alone again.
  if (makePrivateFolder(folders.storage, &error) && makePrivateFolder(folders.cache, &error) &&
      makePrivateFolder(folders.engine, &error)) {
    profile = new QWebEngineProfile(QString::fromLatin1(kProfileFolderName), parent);
    profile->setPersistentStoragePath(QString::fromStdString(folders.storage));
    profile->setCachePath(QString::fromStdString(folders.cache));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
  } else {
    std::fprintf(stderr, "orbisview: %s; cookies are kept for this run only\n",
                 platform::printable(error).c_str());
    profile = new QWebEngineProfile(parent);  // off the record
  }
  // Chromium would otherwise pass an address of an unknown scheme that a click leads to on
  // to the desktop (xdg-open), and so to whatever program is registered for it.
  QWebEngineSettings* settings = profile->settings();
  settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
  // The help page is whole in itself; one planted on a storage card must not read the
  // user's other files.
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                   [](QWebEngineDownloadRequest* download) { download->cancel(); });
  return profile;
}

}  // namespace orbisview
