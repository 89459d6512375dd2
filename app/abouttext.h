#pragma once
// The about box's text: the program, its version, what it does, and the libraries it is
// built on with their versions (as loaded, where the library can tell).
#include <QString>

namespace app {

QString aboutText();

}  // namespace app
