#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <ostream>

#include "TestModel.h"

// Expected text written with LF and "<TAB>"; generated files use CR LF and TAB.
inline QString Crlf(const char* text) {
    return QString::fromUtf8(text).replace("\n", "\r\n").replace("<TAB>", "\t");
}

// `text` with each whole word of `from` replaced by the word of `to` at its index.
inline QString ReplaceWords(QString text, const QStringList& from, const QStringList& to) {
    for (qsizetype i = 0; i < from.size(); ++i)
        text.replace(QRegularExpression("\\b" + QRegularExpression::escape(from[i]) + "\\b"),
                     to[i]);
    return text;
}
