#pragma once

#include <QFont>
#include <functional>

class TUserSeam;

// Runs one command. An error raised inside stops it and is shown in the seam's
// error box; returns false then.
bool RunGuarded(TUserSeam& seam, const std::function<void()>& command);

// The font of the program's windows.
QFont FormFont();
