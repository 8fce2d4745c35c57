#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

#include "TestModel.h"


// Expected text written with LF and "<TAB>"; generated files use CR LF and TAB.
inline QString Crlf(const char* text) {
    return QString::fromUtf8(text).replace("\n", "\r\n").replace("<TAB>", "\t");
}
