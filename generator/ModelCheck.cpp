#include "ModelCheck.h"

#include <QSet>
#include <QStringList>

#include "CodeText.h"
#include "FileOperate.h"

using CodeText::LowerFirst;
using CodeText::Quoted;

namespace {

// Keywords and literals of Java, and "_".
const QSet<QString>& ReservedWords() {
    static const QSet<QString> words{
        "abstract", "assert", "boolean",    "break",     "byte",       "case",      "catch",
        "char",     "class",  "const",      "continue",  "default",    "do",        "double",
        "else",     "enum",   "extends",    "final",     "finally",    "float",     "for",
        "goto",     "if",     "implements", "import",    "instanceof", "int",       "interface",
        "long",     "native", "new",        "package",   "private",    "protected", "public",
        "return",   "short",  "static",     "strictfp",  "super",      "switch",    "synchronized",
        "this",     "throw",  "throws",     "transient", "try",        "void",      "volatile",
        "while",    "true",   "false",      "null",      "_",          "var",       "yield",
        "record",   "sealed", "permits",    "non-sealed"};
    return words;
}

// Classes of the fixed support sources, and the classes they and the generated sources import
// by their simple names: a class of the model named so would replace or hide one of them.
const QSet<QString>& TakenClassNames() {
    static const QSet<QString> names{"Admin",
                                     "Login",
                                     "User",
                                     "ChangePassword",
                                     "AdminDAO",
                                     "LoginAction",
                                     "UserAction",
                                     "ChangePasswordAction",
                                     "TestUtil",
                                     "HibernateUtil",
                                     "CardIdFieldValidator",
                                     "List",
                                     "ArrayList",
                                     "ActionContext",
                                     "ActionSupport",
                                     "HibernateException",
                                     "Query",
                                     "Session",
                                     "Transaction",
                                     "Statement",
                                     "String",
                                     "Exception",
                                     "SuppressWarnings",
                                     "Object",
                                     "Integer",
                                     "Float",
                                     "Math",
                                     "System",
                                     "Override"};
    return names;
}

// Names the generated DAO and Action classes declare themselves, in every class.
const QSet<QString>& TakenMemberNames() {
    static const QSet<QString> names{"currentPage", "totalPage", "recordNumber", "PAGE_SIZE", "ctx",
                                     "e",           "s",         "tx",           "hql",       "q",
                                     "startIndex",  "java"};
    return names;
}

const QString kIdentifierRule =
    QStringLiteral("只能由字母、汉字、数字、_和$组成，且不能以数字开头");

QString MemberKind(const TClassModel& c) {
    return "类" + c.className + "的成员名";
}

QString MemberPlace(const TClassModel& c, const TMember& m) {
    return "类" + c.className + "的成员" + m.memberName;
}

std::optional<QString> DuplicateClass(const TProjectModel& model) {
    QSet<QString> seen;
    for (const TClassModel& c : model.Classes()) {
        if (seen.contains(c.className))
            return "工程中有两个名为" + c.className + "的类";
        seen.insert(c.className);
    }
    return std::nullopt;
}

// A class named like another class (or a fixed one) followed by DAO or Action would clash
// with that class's own DAO or Action.
std::optional<QString> ClassNameError(const TProjectModel& model, const TClassModel& c) {
    if (std::optional<QString> error = ModelCheck::NameError(QStringLiteral("类名"), c.className))
        return error;
    if (TakenClassNames().contains(c.className))
        return "类名" + c.className + "与生成工程中已有的类重名";
    for (const char* suffix : {"DAO", "Action"}) {
        const QString tail = QString::fromLatin1(suffix);
        if (!c.className.endsWith(tail))
            continue;
        const QString head = c.className.chopped(tail.size());
        if (model.FindClass(head) != nullptr || TakenClassNames().contains(head))
            return "类名" + c.className + "与类" + head + "生成的" + tail + "类重名";
    }
    return std::nullopt;
}

// The names the Action and DAO of class c declare beside the members.
bool ClashesWithCode(const TProjectModel& model, const TClassModel& c, const QString& name) {
    if (TakenMemberNames().contains(name) || name == LowerFirst(c.className))
        return true;
    if (name.startsWith(QLatin1String("db_")))
        return true;
    for (const TClassModel& other : model.Classes()) {
        const QString object = LowerFirst(other.className);
        if (name == object + "DAO" || name == object + "List")
            return true;
    }
    return false;
}

std::optional<QString> MemberError(const TProjectModel& model, const TClassModel& c,
                                   const TMember& m) {
    if (std::optional<QString> error = ModelCheck::NameError(MemberKind(c), m.memberName))
        return error;
    if (ClashesWithCode(model, c, m.memberName))
        return MemberKind(c) + m.memberName + "与生成的代码中已有的名称冲突";
    const bool simple = MemberTypes::IsSimple(m.memberType);
    if (!simple && model.FindClass(m.memberType) == nullptr)
        return MemberPlace(c, m) + "引用的类" + m.memberType + "不在本工程中";
    if (m.memberIsPri == 1 && m.memberType != MemberTypes::String &&
        m.memberType != MemberTypes::Integer)
        return MemberPlace(c, m) + "是主键: 主键字段必须是整型或字符串型!";
    if (m.queryFlag == 1 &&
        (m.memberType == MemberTypes::Integer || m.memberType == MemberTypes::Float))
        return MemberPlace(c, m) + ": 参与查询的字段不要设置整型或浮点型";
    return std::nullopt;
}

std::optional<QString> ClassError(const TProjectModel& model, const TClassModel& c) {
    if (std::optional<QString> error = ClassNameError(model, c))
        return error;
    QSet<QString> seen;
    for (const TMember& m : c.members) {
        if (seen.contains(m.memberName))
            return "类" + c.className + "中有两个名为" + m.memberName + "的成员";
        seen.insert(m.memberName);
        if (std::optional<QString> error = MemberError(model, c, m))
            return error;
    }
    return std::nullopt;
}

} // namespace

namespace ModelCheck {

bool IsIdentifierChar(QChar c) {
    return c.isLetter() || c.isDigit() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool IsJavaIdentifier(const QString& name) {
    if (name.isEmpty() || name[0].isDigit())
        return false;
    for (QChar c : name)
        if (!IsIdentifierChar(c))
            return false;
    return true;
}

bool IsReservedWord(const QString& name) {
    return ReservedWords().contains(name);
}

bool FitsGbk(const QString& name) {
    int replaced = 0;
    TFileOperate::EncodeGbk(name, &replaced);
    return replaced == 0 && !name.contains(QChar::ReplacementCharacter);
}

bool IsSafeName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

std::optional<QString> NameError(const QString& kind, const QString& name) {
    if (!IsJavaIdentifier(name))
        return kind + Quoted(name) + "不是合法的Java标识符: " + kIdentifierRule;
    if (IsReservedWord(name))
        return kind + Quoted(name) + "是Java的保留字";
    if (!FitsGbk(name))
        return kind + Quoted(name) + "含有GBK无法保存的字符";
    return std::nullopt;
}

std::optional<QString> FirstModelError(const TProjectModel& model, const QString& packageName) {
    if (std::optional<QString> error = NameError(QStringLiteral("包名"), packageName))
        return error;
    if (std::optional<QString> error = DuplicateClass(model))
        return error;
    for (const TClassModel& c : model.Classes())
        if (std::optional<QString> error = ClassError(model, c))
            return error;
    return std::nullopt;
}

} // namespace ModelCheck
