#include "helppage.h"

#include <QString>
#include <QUrl>

namespace ui {

std::string helpPageAddress(const std::string& dataFolder) {
  const QString path = QString::fromStdString(dataFolder + kHelpFileName);
  return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace ui
