#include "boardfixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include "friends/friend.h"

BoardFixture::BoardFixture(int friendCount, int best)
    : paths_(friends::CachePaths::inFolder(dir_.path().toStdString())) {
  QDir().mkpath(QString::fromStdString(paths_.picSquare));
  for (const char* placeholder : {"body.jpg", "body_bf.jpg"})
    QFile::copy(QStringLiteral(VELTRANA_SOURCE_DIR "/resources/pic_square/") + placeholder,
                QString::fromStdString(paths_.picSquare) + placeholder);
  std::ofstream all(paths_.bf, std::ios::binary);
  std::ofstream bestFile(paths_.bf1, std::ios::binary);
  for (int i = 0; i < friendCount; ++i) {
    friends::Friend f;
    f.uid = uid(i);
    f.name = name(i);
    f.affiliationName = "Vel College";
    f.affiliationType = "college";
    f.affiliationStatus = "Alumnus";
    f.affiliationYear = "2001";
    all << f.allFriendsLine();
    if (i < best) bestFile << friends::newBestFriendLine(f.uid, f.name);
    QImage picture(50, 50, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((i * 37) % 360, 160, 220));
    picture.save(QString::fromStdString(paths_.picSquare + f.uid + ".jpg"), "JPG");
  }
}

std::string BoardFixture::name(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "Friend %02d", i);
  return text;
}

std::string BoardFixture::readBestFriends() const {
  std::ifstream in(paths_.bf1, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

QString BoardFixture::screenshotPath(const QString& name) {
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return folder + "/" + name;
}
