#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure output for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& lines, std::ostream* os) {
    *os << '{';
    for (const QString& line : lines)
        *os << "\n  \"" << line.toStdString() << '"';
    *os << "\n}";
}

// Expected text written with LF and "<TAB>"; generated files use CR LF and TAB.
inline QString Crlf(const char* text) {
    return QString::fromUtf8(text).replace("\n", "\r\n").replace("<TAB>", "\t");
}
