#pragma once

#include <QString>

// A name as messages show it: control, format and line separator characters are written as
// escapes ("\0", "\t", "\n", "\r", "\x1b", "\u202e"), so that none can cut a message short or
// change how it reads. Other characters are unchanged.
QString Printable(const QString& name);
