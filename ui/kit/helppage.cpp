#include "helppage.h"

#include <QString>
#include <QUrl>

namespace ui {

std::string helpPageAddress(const std::string& file) {
  const QString path = QString::fromStdString(file);
  return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace ui
