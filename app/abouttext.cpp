#include "app/abouttext.h"

#include <cstdio>

#include <QCoreApplication>
#include <QStringList>
#include <QtGlobal>

#include <curl/curl.h>
#include <jconfig.h>
#include <openssl/crypto.h>
#include <sqlite3.h>
#include <pugixml.hpp>

namespace app {
namespace {

QString qtVersion() {
  QString text = QStringLiteral("Qt ") + QString::fromLatin1(qVersion());
  if (QString::fromLatin1(qVersion()) != QStringLiteral(QT_VERSION_STR))
    text += QStringLiteral(" (built with ") + QStringLiteral(QT_VERSION_STR) + ')';
  return text;
}

QString curlVersion() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  QString text = QStringLiteral("libcurl ") + QString::fromLatin1(info->version);
  if (info->ssl_version)
    text += QStringLiteral(" (") + QString::fromLatin1(info->ssl_version) + ')';
  return text;
}

// libjpeg has no run-time version call: the version the program was built against.
QString jpegVersion() {
#ifdef LIBJPEG_TURBO_VERSION_NUMBER
  const int n = LIBJPEG_TURBO_VERSION_NUMBER;
  return QStringLiteral("libjpeg-turbo %1.%2.%3 (libjpeg %4 interface)")
      .arg(n / 1000000)
      .arg(n / 1000 % 1000)
      .arg(n % 1000)
      .arg(JPEG_LIB_VERSION / 10.0, 0, 'f', 1);
#else
  return QStringLiteral("libjpeg %1").arg(JPEG_LIB_VERSION / 10.0, 0, 'f', 1);
#endif
}

// pugixml is compiled in: the version of its header.
QString pugixmlVersion() {
  return QStringLiteral("pugixml %1.%2")
      .arg(PUGIXML_VERSION / 1000)
      .arg(PUGIXML_VERSION % 1000 / 10);
}

}  // namespace

QString aboutText() {
  QString version = QCoreApplication::applicationVersion();
  if (version.isEmpty()) version = QStringLiteral("1.0");
  QStringList lines;
  lines << QStringLiteral("Version ") + version << QString()
        << QStringLiteral(
               "Your best friends at hand: their pictures, statuses, birthdays and "
               "relationship changes. Set your status, upload photos, and hear of new "
               "messages, wall posts, friend requests and invitations.")
        << QString() << QStringLiteral("Built with:") << qtVersion() << curlVersion()
        << jpegVersion() << pugixmlVersion()
        << QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion())
        << QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION)) << QString()
        << QStringLiteral("Copyright Corvanta, Inc.");
  return lines.join('\n');
}

}  // namespace app
