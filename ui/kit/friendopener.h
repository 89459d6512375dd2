#pragma once
// How a window opens a friend's page: the board, its further pages, the All Friends window
// and the change lists hand the friend they picked (uid all digits, name as shown) and the
// window to open over; the program supplies what the page needs.
#include <functional>
#include <string>

#include <QString>

class QWidget;

namespace ui {

using FriendOpener =
    std::function<void(const std::string& uid, const QString& name, QWidget* over)>;

}  // namespace ui
