#include "Printable.h"

namespace {

bool IsHidden(QChar c) {
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString Escape(char16_t u) {
    switch (u) {
    case u'\0':
        return QStringLiteral("\\0");
    case u'\t':
        return QStringLiteral("\\t");
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    const int digits = u <= 0xFF ? 2 : 4;
    return QLatin1String(digits == 2 ? "\\x" : "\\u") +
           QString::number(u, 16).rightJustified(digits, QLatin1Char('0'));
}

} // namespace

QString Printable(const QString& name) {
    QString result;
    result.reserve(name.size());
    for (QChar c : name) {
        if (IsHidden(c))
            result += Escape(c.unicode());
        else
            result += c;
    }
    return result;
}
