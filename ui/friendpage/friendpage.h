#pragma once
// Opens the page of one friend over `over`.
#include <string>

#include <QString>

class QWidget;

namespace ui {

void openFriendPage(const std::string& uid, const QString& name, QWidget* over);

}  // namespace ui
