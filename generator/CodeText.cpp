#include "CodeText.h"

#include <stdexcept>

#include "ModelCheck.h"

namespace CodeText {

namespace {

QString ShiftFirst(const QString& name, char from, char to, int delta) {
    QString result = name;
    if (!result.isEmpty() && result[0] >= QLatin1Char(from) && result[0] <= QLatin1Char(to))
        result[0] = QChar(result[0].unicode() + delta);
    return result;
}

// Line breaks and the characters XML 1.0 does not allow become spaces; tab stays.
QString OneLine(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F) || u == 0xFFFE || u == 0xFFFF ||
            u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return result;
}

QString WithoutUnicodeEscapes(const QString& text) {
    return QString(text).replace(QStringLiteral("\\u"), QStringLiteral("\\ u"));
}

} // namespace

QString JavaComment(const QString& comment) {
    return WithoutUnicodeEscapes(OneLine(comment))
        .replace(QStringLiteral("*/"), QStringLiteral("* /"));
}

QString XmlComment(const QString& comment) {
    QString result = OneLine(comment);
    while (result.contains(QStringLiteral("--")))
        result.replace(QStringLiteral("--"), QStringLiteral("- -"));
    if (result.endsWith(QLatin1Char('-')))
        result += QLatin1Char(' ');
    return result;
}

QString JavaString(const QString& text) {
    QString result = OneLine(text);
    result.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    return result.replace(QStringLiteral("\""), QStringLiteral("\\\""));
}

QString XmlText(const QString& text) {
    return OneLine(text).toHtmlEscaped();
}

QString LowerFirst(const QString& name) {
    return ShiftFirst(name, 'A', 'Z', 32);
}

QString ObjectName(const QString& className) {
    const QString object = LowerFirst(className);
    return ModelCheck::IsTakenObjectName(object) ? object + "_" : object;
}

QString ActionClassName(const QString& className) {
    static const QStringList fixed{"Login", "User", "ChangePassword"};
    return className + (fixed.contains(className) ? "ClassAction" : "Action");
}

QString SearchName(const TMember& m) {
    return ModelCheck::IsPageRootName(m.memberName) ? m.memberName + "_" : m.memberName;
}

QString UpperFirst(const QString& name) {
    return ShiftFirst(name, 'a', 'z', -32);
}

QString Quoted(const QString& value) {
    return QLatin1Char('"') + value + QLatin1Char('"');
}

bool IsTextType(const QString& typeWord) {
    return typeWord == MemberTypes::String || typeWord == MemberTypes::Date ||
           typeWord == MemberTypes::Text || typeWord == MemberTypes::DateTime;
}

bool IsNumberKeyType(const QString& typeWord) {
    return typeWord == MemberTypes::Integer || typeWord == MemberTypes::Long;
}

bool IsTextSearch(const QString& typeWord) {
    return IsTextType(typeWord) || typeWord == MemberTypes::Long ||
           typeWord == MemberTypes::Decimal || typeWord == MemberTypes::Boolean;
}

QString JavaType(const QString& typeWord) {
    if (IsTextType(typeWord))
        return QStringLiteral("String");
    if (typeWord == MemberTypes::Integer)
        return QStringLiteral("int");
    if (typeWord == MemberTypes::Float)
        return QStringLiteral("float");
    if (typeWord == MemberTypes::Long)
        return QStringLiteral("long");
    if (typeWord == MemberTypes::Decimal) // the column's own text, see MappingFile
        return QStringLiteral("String");
    if (typeWord == MemberTypes::Boolean)
        return QStringLiteral("boolean");
    return typeWord;
}

bool IsAssignedKey(const TMember& m) {
    return m.memberIsPri == 1 && IsNumberKeyType(m.memberType) && m.keyAssigned == 1;
}

bool IsNullableNumber(const TProjectModel& model, const TMember& m) {
    if (m.memberIsMust == 1 || m.memberIsPri == 1)
        return false;
    if (m.memberType == MemberTypes::Boolean) // the drop-down offers "(空)" in every model
        return true;
    return (m.memberType == MemberTypes::Integer || m.memberType == MemberTypes::Float ||
            m.memberType == MemberTypes::Long) &&
           model.MapsExistingTables();
}

bool IsNullableReference(const TProjectModel& model, const TMember& m) {
    return m.memberIsMust == 0 && !MemberTypes::IsSimple(m.memberType) &&
           model.MapsExistingTables();
}

QString MemberJavaType(const TProjectModel& model, const TMember& m) {
    if (!IsNullableNumber(model, m))
        return JavaType(m.memberType);
    if (m.memberType == MemberTypes::Long)
        return QStringLiteral("Long");
    if (m.memberType == MemberTypes::Boolean)
        return QStringLiteral("Boolean");
    return m.memberType == MemberTypes::Integer ? QStringLiteral("Integer")
                                                : QStringLiteral("Float");
}

QString QueryType(const QString& typeWord) {
    return IsTextSearch(typeWord) ? QStringLiteral("String") : typeWord;
}

bool IsActionProperty(const TMember& m) {
    return m.queryFlag == 1 || m.memberIsPri == 1 || !MemberTypes::IsSimple(m.memberType);
}

QString ObjectVariable(const QString& className) {
    return ObjectName(className);
}

TMember KeyOf(const TClassModel& c) {
    const std::optional<TMember> key = c.KeyMember();
    if (!key)
        throw std::runtime_error(QString("类" + c.className + "没有主键成员").toStdString());
    return *key;
}

TMember ReferencedKey(const TProjectModel& model, const QString& typeWord) {
    if (const std::optional<TMember> key = model.KeyMemberOfClass(typeWord))
        return *key;
    TMember standIn;
    standIn.memberName = LowerFirst(typeWord) + QStringLiteral("Id");
    standIn.memberType = MemberTypes::String;
    return standIn;
}

QString ShownProperty(const TProjectModel& model, const QString& className) {
    const TClassModel* c = model.FindClass(className);
    const std::optional<TMember> display = c ? c->DisplayMember() : std::nullopt;
    if (!display)
        return QStringLiteral("toString()");
    return MemberTypes::IsSimple(display->memberType) ? display->memberName : kShownProperty;
}

QList<TMember> DisplayPath(const TProjectModel& model, const QString& className) {
    QList<TMember> path;
    const TClassModel* c = model.FindClass(className);
    while (c != nullptr) {
        const std::optional<TMember> display = c->DisplayMember();
        if (!display)
            break;
        path << *display;
        if (MemberTypes::IsSimple(display->memberType) || path.size() > kMaxDisplayDepth)
            break;
        c = model.FindClass(display->memberType);
    }
    return path;
}

bool IsFirstOfType(const QList<TMember>& members, qsizetype index) {
    for (qsizetype i = 0; i < index; ++i)
        if (members[i].memberType == members[index].memberType)
            return false;
    return true;
}

void AddLines(QString& text, const QStringList& lines) {
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
}

void AddLines(QString& text, int indent, const QStringList& lines) {
    for (const QString& line : lines) {
        if (!line.isEmpty())
            text += QString(indent, QLatin1Char(' ')) + line;
        text += QStringLiteral("\r\n");
    }
}

QString PackagePath(const QString& packageName, const QString& tail) {
    return QStringLiteral("src/com/") + packageName + QLatin1Char('/') + tail;
}

QString ChoicesCall(const QString& refClass) {
    return "Query" + refClass + "Choices(" + QString::number(kChoiceLimit + 1) + ")";
}

} // namespace CodeText
