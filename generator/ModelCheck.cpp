#include "ModelCheck.h"

#include <algorithm>

#include <QDir>
#include <QSet>
#include <QStringList>

#include "ActionOperate.h"
#include "CodeText.h"
#include "FileOperate.h"
#include "Printable.h"

using CodeText::ActionClassName;
using CodeText::kStringKeyLength;
using CodeText::LowerFirst;
using CodeText::ObjectName;
using CodeText::Quoted;
using CodeText::SearchName;
using CodeText::UpperFirst;

namespace {

// Keywords and literals of Java, and "_" (a keyword since Java 9).
const QSet<QString>& ReservedWords() {
    static const QSet<QString> words{
        "abstract", "assert", "boolean",    "break",     "byte",       "case",      "catch",
        "char",     "class",  "const",      "continue",  "default",    "do",        "double",
        "else",     "enum",   "extends",    "final",     "finally",    "float",     "for",
        "goto",     "if",     "implements", "import",    "instanceof", "int",       "interface",
        "long",     "native", "new",        "package",   "private",    "protected", "public",
        "return",   "short",  "static",     "strictfp",  "super",      "switch",    "synchronized",
        "this",     "throw",  "throws",     "transient", "try",        "void",      "volatile",
        "while",    "true",   "false",      "null",      "_"};
    return words;
}

// Operators of the page expressions (OGNL): a property of such a name cannot be read there.
const QSet<QString>& PageExpressionWords() {
    static const QSet<QString> words{"and", "or", "not", "in", "bor", "xor", "band", "eq",
                                     "neq", "lt", "lte", "gt", "gte", "shl", "shr",  "ushr"};
    return words;
}

// Names the pages' expressions read as the request's own objects (#attr, #request, ...).
const QSet<QString>& PageRootNames() {
    static const QSet<QString> words{"attr",       "request", "session", "application",
                                     "parameters", "action",  "locale"};
    return words;
}

// Words the query language does not take as the alias of a class, which the DAOs' queries
// name after the class's object ("From Book book"); found by trying each keyword.
const QSet<QString>& HqlAliasWords() {
    static const QSet<QString> words{
        "all",     "any",        "as",     "asc",       "avg",      "between",  "both",
        "by",      "count",      "delete", "desc",      "distinct", "elements", "empty",
        "end",     "escape",     "exists", "fetch",     "from",     "full",     "having",
        "indices", "inner",      "insert", "into",      "is",       "join",     "leading",
        "left",    "like",       "max",    "member",    "min",      "of",       "on",
        "outer",   "properties", "right",  "select",    "set",      "some",     "sum",
        "then",    "trailing",   "update", "versioned", "when",     "where",    "with"};
    return words;
}

// Locals of the generated methods beside the class's object: the DAO's session, transaction
// and exception, the Action's context.
const QSet<QString>& ObjectLocals() {
    static const QSet<QString> names{"s", "tx", "e", "ctx"};
    return names;
}

// Words that newer Java versions do not allow as the name of a type.
const QSet<QString>& RestrictedTypeNames() {
    static const QSet<QString> words{"var", "yield", "record", "sealed", "permits"};
    return words;
}

// The classes of the fixed support sources whose files a class of this name would replace (the
// Actions of Login, User and ChangePassword take another name, see ActionClassName).
const QSet<QString>& FixedClassNames() {
    static const QSet<QString> names{"Admin"};
    return names;
}

// Properties of every generated Action, and the getClass() of every object: an Action
// property whose getter would have one of these names clashes, whatever the case of its first
// letter.
const QStringList& TakenProperties() {
    return TActionOperate::kProperties;
}

// Class and package names become file and folder names, with suffixes of up to 55 bytes.
const int kMaxNameBytes = 200;
// A class name is three times in its longest file name, the Action's check of a modify request
// <C>Action-<C>_Modify<C>-validation.xml (29 bytes more), written first under that name with
// ".partial~" and up to 7 random characters; file systems take names of at most 255 bytes.
const int kMaxFileNameBytes = 255;
const int kLongestFileExtraBytes = 29 + 16;
const int kMaxClassNameBytes = (kMaxFileNameBytes - kLongestFileExtraBytes) / 3;

const QString kIdentifierRule =
    QStringLiteral("只能由字母、汉字、数字、_和$组成，且不能以数字开头");

QString MemberKind(const TClassModel& c) {
    return "类" + Printable(c.className) + "的成员名";
}

QString MemberPlace(const TClassModel& c, const TMember& m) {
    return "类" + Printable(c.className) + "的成员" + Printable(m.memberName);
}

QString MemberWebNameError(const TClassModel& c, const QString& memberName) {
    return MemberKind(c) + Quoted(Printable(memberName)) +
           "只能用英文字母、数字和下划线, 因为网页表单的参数名不支持中文和$";
}

QString ClassWebNameError(const QString& className) {
    return "类名" + Quoted(Printable(className)) +
           "只能用英文字母、数字和下划线, "
           "因为网页地址(Struts的命名空间和action名)不支持中文和$";
}

QString GetterClashError(const QString& className, const QString& first, const QString& second) {
    return "类" + Printable(className) + "的成员" + Printable(first) + "和" + Printable(second) +
           "的get/set方法同名";
}

std::optional<QString> DuplicateClass(const TProjectModel& model) {
    QSet<QString> seen;
    QHash<QString, QString> actions; // "User" and "UserClass" would share UserClassAction
    for (const TClassModel& c : model.Classes()) {
        if (seen.contains(c.className))
            return ModelCheck::DuplicateClassError(c.className);
        seen.insert(c.className);
        const QString action = ActionClassName(c.className);
        if (actions.contains(action))
            return "类" + Printable(actions[action]) + "和类" + Printable(c.className) +
                   "生成的Action类同名(" + Printable(action) + "), 请换一个类名";
        actions.insert(action, c.className);
    }
    return std::nullopt;
}

// The end of a refusal of a class name: another name to choose.
QString OtherClassName(const QString& name) {
    return ", 请换一个类名, 例如" + Printable(name) + "Info";
}

// The end of a refusal of a member name: another name to choose.
QString OtherMemberName(const QString& name) {
    return ", 请换一个名称, 例如" + Printable(name) + "Value";
}

// The Action of class c imports c, its DAO and each referenced class with its DAO, by simple
// name, and is named <c>Action. A domain class named like one of those DAOs or like the Action
// would be a second class of that name in the file. (The framework classes the Action and DAO
// use are written fully qualified where a model class takes their name.)
std::optional<QString> ImportClash(const TClassModel& c) {
    QSet<QString> domain{c.className};
    QSet<QString> daos{c.className + "DAO"};
    for (const TMember& m : c.ReferenceMembers()) {
        domain.insert(m.memberType);
        daos.insert(m.memberType + "DAO");
    }
    for (const QString& name : domain) {
        if (daos.contains(name))
            return "类名" + Printable(name) + "与类" + Printable(name.chopped(3)) +
                   "生成的DAO类同名, 而类" + Printable(c.className) +
                   "生成的Action类要同时用到这两个类" + OtherClassName(name);
        if (name == ActionClassName(c.className))
            return "类名" + Printable(name) + "与类" + Printable(c.className) +
                   "生成的Action类同名, 而该Action类要用到类" + Printable(name) +
                   OtherClassName(name);
    }
    return std::nullopt;
}

// The class's Action and DAO write qualified names in expressions (static calls, constants),
// where a variable of the package's name would hide the package: java.net.URLEncoder always,
// com.* where a class the files see takes the name of a class they call (written qualified
// then), org.hibernate.type.BigDecimalType where a decimal member is searched.
bool HidesPackage(const TClassModel& c, const QString& variable, bool queryParameter) {
    if (variable == QLatin1String("java"))
        return true;
    if (variable == QLatin1String("com")) {
        static const QSet<QString> called{"ActionContext", "FailureLog", "ReferenceChoices",
                                          "HibernateUtil"};
        if (called.contains(c.className))
            return true;
        for (const TMember& m : c.ReferenceMembers())
            if (called.contains(m.memberType))
                return true;
    }
    if (variable == QLatin1String("org") && queryParameter)
        for (const TMember& m : c.QueryMembers())
            if (m.memberType == MemberTypes::Decimal)
                return true;
    return false;
}

std::optional<QString> ClassNameError(const TClassModel& c) {
    if (std::optional<QString> error = ModelCheck::NameError(QStringLiteral("类名"), c.className))
        return error;
    if (c.className.toUtf8().size() > kMaxNameBytes)
        return "类名" + Printable(c.className.left(20)) + "...太长: 以UTF-8计不能超过" +
               QString::number(kMaxNameBytes) + "个字节";
    if (c.className.toUtf8().size() > kMaxClassNameBytes)
        return "类名" + Printable(c.className.left(20)) + "...太长: 以UTF-8计不能超过" +
               QString::number(kMaxClassNameBytes) + "个字节, 因为生成的文件名不能超过" +
               QString::number(kMaxFileNameBytes) + "个字节";
    if (RestrictedTypeNames().contains(c.className))
        return "类名" + Quoted(Printable(c.className)) + "在Java 10及以后的版本中不能用作类名";
    if (FixedClassNames().contains(c.className))
        return "类名" + Printable(c.className) +
               "与固定支持类重名: "
               "生成的工程自带管理员类Admin(domain/Admin.java、dao/AdminDAO.java), "
               "请换一个类名";
    // An imported class of this name would hide the package of a fully written class name.
    if (c.className == QLatin1String("com") || c.className == QLatin1String("java"))
        return "类名" + Printable(c.className) + "会遮蔽生成的代码用到的包名" +
               Printable(c.className);
    // Other java.lang classes are written qualified where a model class hides them; String is
    // also used by the fixed support class Admin, in the same package.
    if (c.className == QLatin1String("String"))
        return "类名String会遮蔽生成的代码和固定支持类Admin用到的java.lang.String" +
               OtherClassName(c.className);
    if (!ModelCheck::IsWebName(c.className))
        return ClassWebNameError(c.className);
    // The query language reads "From Object" as its keyword object, whatever the case.
    if (c.className.compare(QLatin1String("object"), Qt::CaseInsensitive) == 0)
        return "类名" + Printable(c.className) + "是查询语言(HQL)的关键字object" +
               OtherClassName(c.className);
    return ImportClash(c);
}

// A member becomes a property of the class's Action when it is a query member, a reference
// or the key; then its getter and name must not clash with the Action's own, which the pages
// read. Returns what it clashes with.
std::optional<QString> ActionClash(const TClassModel& c, const TMember& m) {
    const QString getter = UpperFirst(m.memberName);
    const QString object = LowerFirst(c.className);
    if (getter == UpperFirst(ObjectName(c.className)))
        return "生成的Action类中的属性" + Printable(ObjectName(c.className)) + "(待操作的" + Printable(c.className) +
               "对象)";
    if (m.memberName == object + "DAO")
        return "生成的Action类中的属性" + Printable(object) + "DAO(" + Printable(c.className) +
               "的DAO对象)";
    for (const QString& property : TakenProperties())
        if (getter == UpperFirst(property))
            return property == QLatin1String("class")
                       ? QStringLiteral("每个Java对象都有的getClass()方法")
                       : "生成的Action类中的分页属性" + property;
    return std::nullopt;
}

// True when `stem` is the object name (the class name with a lower-case first letter) of a class
// of the model: looked up by name, since LowerFirst changes only a leading A..Z.
bool IsObjectName(const TProjectModel& model, const QString& stem) {
    if (stem.isEmpty() || (stem[0] >= QLatin1Char('A') && stem[0] <= QLatin1Char('Z')))
        return false;
    return model.FindClass(stem) != nullptr || model.FindClass(UpperFirst(stem)) != nullptr;
}

// True when name is the object name of a class of the model followed by suffix.
bool IsObjectNameWith(const TProjectModel& model, const QString& name, const QString& suffix) {
    return name.endsWith(suffix) && IsObjectName(model, name.chopped(suffix.size()));
}

// The lists an Action puts into the context under their own names, which the pages read: the
// query's result <object>List, and <object>List of each referenced class for its drop-down. An
// Action property of such a name (of any class of the model, which a reference may name) would
// be put under the same name. Returns the class whose list it is.
const TClassModel* ListClash(const TProjectModel& model, const TMember& m) {
    if (!IsObjectNameWith(model, m.memberName, QStringLiteral("List")))
        return nullptr;
    const QString stem = m.memberName.chopped(4);
    const TClassModel* owner = model.FindClass(UpperFirst(stem));
    return owner != nullptr ? owner : model.FindClass(stem);
}

// Spring builds the Actions and sets every property of a class type whose name is a bean id.
bool IsBeanId(const TProjectModel& model, const QString& name) {
    static const QSet<QString> fixed{"loginGuard", "loginAction", "userAction",
                                     "changePasswordAction"};
    if (fixed.contains(name) || IsObjectNameWith(model, name, QStringLiteral("Action")))
        return true;
    // the bean of a class named like a fixed Action: userClassAction
    const QString suffix = QStringLiteral("ClassAction");
    if (!name.endsWith(suffix))
        return false;
    const QString className = UpperFirst(name.chopped(suffix.size()));
    return model.FindClass(className) != nullptr &&
           LowerFirst(ActionClassName(className)) == name;
}

// The display references followed from member m of class c, as "Class.member" steps, until a
// simple display member, a class that is missing or has none, a class met before (a cycle) or
// one reference more than the pages follow.
struct TDisplayChain {
    QStringList steps;
    QStringList classes;      // the class of each step, then the class the last step reaches
    qsizetype cycleFrom = -1; // the index in classes where a cycle starts
};

TDisplayChain FollowDisplay(const TProjectModel& model, const TClassModel& c, const TMember& m) {
    TDisplayChain chain;
    chain.classes << c.className;
    const TClassModel* owner = &c;
    TMember reference = m;
    while (true) {
        chain.steps << owner->className + "." + reference.memberName;
        chain.cycleFrom = chain.classes.indexOf(reference.memberType);
        chain.classes << reference.memberType;
        if (chain.cycleFrom >= 0 || chain.steps.size() > CodeText::kMaxDisplayDepth)
            return chain;
        owner = model.FindClass(reference.memberType);
        const std::optional<TMember> display = owner ? owner->DisplayMember() : std::nullopt;
        if (!display || MemberTypes::IsSimple(display->memberType))
            return chain;
        reference = *display;
    }
}

bool IsDisplayReference(const TMember& m) {
    return m.memberIsDisplay == 1 && !MemberTypes::IsSimple(m.memberType);
}

// A display member that is a reference shows the referenced object's display text, following
// display references up to a fixed depth; a cycle of them would never reach a text.
std::optional<QString> DisplayChainError(const TProjectModel& model, const TClassModel& c,
                                         const TMember& m) {
    if (!IsDisplayReference(m))
        return std::nullopt;
    const TDisplayChain chain = FollowDisplay(model, c, m);
    const QString start = "类" + Printable(c.className) + "的显示成员" + Printable(m.memberName);
    if (chain.cycleFrom >= 0)
        return start + "是引用, 而显示值的引用形成了循环: " +
               Printable(chain.steps.mid(chain.cycleFrom).join(" → ") + " → " +
                         chain.classes.last()) +
               "; 请把其中一个类的显示成员换成非引用的成员";
    if (chain.steps.size() > CodeText::kMaxDisplayDepth)
        return start + "是引用, 而显示值要经过" + QString::number(CodeText::kMaxDisplayDepth) +
               "层以上的引用: " +
               Printable(chain.steps.join(" → ") + " → " + chain.classes.last()) +
               "; 页面最多经过" + QString::number(CodeText::kMaxDisplayDepth) +
               "层引用找显示值, 请换一个显示成员";
    return std::nullopt;
}

std::optional<QString> MemberError(const TProjectModel& model, const TClassModel& c,
                                   const TMember& m) {
    if (std::optional<QString> error = ModelCheck::NameError(MemberKind(c), m.memberName))
        return error;
    if (!ModelCheck::IsWebName(m.memberName))
        return MemberWebNameError(c, m.memberName);
    if (PageExpressionWords().contains(m.memberName))
        return MemberKind(c) + Printable(m.memberName) + "是页面表达式(OGNL)的运算符";
    // The search value of such a member is named with "_" (SearchName); a key or reference
    // keeps its name as the Action's property.
    const bool ownProperty =
        m.memberIsPri == 1 || (!MemberTypes::IsSimple(m.memberType) && m.queryFlag == 0);
    if (m.memberName == QLatin1String("locale") && ownProperty)
        return MemberKind(c) + "locale与Action类继承的getLocale()同名: 作为主键或引用时"
                               "请换一个名称";
    if (std::optional<QString> error = DisplayChainError(model, c, m))
        return error;
    if (m.queryFlag == 1 && SearchName(m) != m.memberName)
        for (const TMember& other : c.members)
            if (UpperFirst(other.memberName) == UpperFirst(SearchName(m)) &&
                CodeText::IsActionProperty(other))
                return MemberPlace(c, m) + "的查询值在Action中名为" + SearchName(m) + ", 与成员" +
                       Printable(other.memberName) + "同名: 请换一个成员名";
    const bool property = CodeText::IsActionProperty(m);
    if (const std::optional<QString> clash = property ? ActionClash(c, m) : std::nullopt)
        return MemberKind(c) + Printable(m.memberName) + "与" + *clash + "冲突" +
               OtherMemberName(m.memberName);
    if (property && HidesPackage(c, m.memberName, m.queryFlag == 1))
        return MemberKind(c) + Printable(m.memberName) + "会遮蔽生成的代码用到的包名" +
               Printable(m.memberName) + OtherMemberName(m.memberName);
    if (const TClassModel* owner = property ? ListClash(model, m) : nullptr)
        return MemberKind(c) + Printable(m.memberName) + "与生成的Action类放入页面的" +
               Printable(owner->className) + "列表" + Printable(m.memberName) +
               "冲突 (页面用它显示" +
               (owner->className == c.className ? QStringLiteral("查询结果")
                                                : "类" + Printable(owner->className) + "的下拉框") +
               ")" + OtherMemberName(m.memberName);
    if (!MemberTypes::IsSimple(m.memberType) && IsBeanId(model, m.memberName))
        return MemberKind(c) + Printable(m.memberName) + "与beans.xml中的bean同名" +
               OtherMemberName(m.memberName);
    const bool simple = MemberTypes::IsSimple(m.memberType);
    if (!simple && model.FindClass(m.memberType) == nullptr)
        return ModelCheck::MissingReferenceError(c.className, m);
    if (m.queryFlag == 1 && m.memberType == c.className) // its list would clash with the result
        return MemberPlace(c, m) + "引用它所在的类" + Printable(c.className) +
               ": 引用本类的成员不能参与查询";
    if (m.memberIsPri == 1 && !ModelCheck::IsKeyType(m.memberType))
        return MemberPlace(c, m) + "是主键: " + ModelCheck::kKeyTypeRule;
    if (m.queryFlag == 1 && !ModelCheck::IsQueryType(m.memberType))
        return MemberPlace(c, m) + ": " + ModelCheck::kQueryTypeRule;
    if (m.queryFlag == 1 && m.memberIsPri == 1 && m.memberType == MemberTypes::Long)
        return MemberPlace(c, m) + ": " + ModelCheck::kLongKeyQueryRule;
    return std::nullopt;
}

// Bytes one row of the class's table takes in MariaDB/MySQL with utf8mb4: four per character
// of a VARCHAR and its length prefix, a date as VARCHAR(10), a string key as VARCHAR(20).
qint64 ColumnBytes(const TProjectModel& model, const TMember& m) {
    auto varchar = [](qint64 characters) {
        return characters * 4 + (characters * 4 > 255 ? 2 : 1);
    };
    if (m.memberType == MemberTypes::Integer || m.memberType == MemberTypes::Float ||
        m.memberType == MemberTypes::Long || m.memberType == MemberTypes::DateTime)
        return 8;
    if (m.memberType == MemberTypes::Date)
        return varchar(10);
    if (m.memberType == MemberTypes::Decimal) // nine digits in four bytes, each side of the point
        return (qMax<qint64>(m.memberLength, 0) / 9 + 2) * 4;
    if (m.memberType == MemberTypes::Text) // the row holds a pointer to the text
        return 12;
    if (m.memberType == MemberTypes::Boolean)
        return 1;
    if (m.memberType == MemberTypes::String)
        return varchar(m.memberIsPri == 1 ? kStringKeyLength : qMax<qint64>(m.memberLength, 0));
    const std::optional<TMember> key = model.KeyMemberOfClass(m.memberType);
    return key && key->memberType != MemberTypes::String ? 8 : varchar(kStringKeyLength);
}

// A table whose row would be larger than the database allows is never created.
std::optional<QString> RowSizeError(const TProjectModel& model, const TClassModel& c) {
    const qint64 limit = 65535;
    qint64 bytes = (c.members.size() + 7) / 8; // the null flags
    for (const TMember& m : c.members)
        bytes += ColumnBytes(model, m);
    if (bytes <= limit)
        return std::nullopt;
    return "类" + Printable(c.className) + "的数据表一行需要" + QString::number(bytes) +
           "个字节, 超过数据库允许的" + QString::number(limit) + "个字节: 请减小字符串成员的长度";
}

std::optional<QString> ClassError(const TProjectModel& model, const TClassModel& c) {
    if (std::optional<QString> error = ClassNameError(c))
        return error;
    if (std::optional<QString> error =
            ModelCheck::DatabaseNameError("类" + c.className + "的表名", c.tableName))
        return error;
    QHash<QString, QString> byGetter; // two members with one getter name clash too
    for (const TMember& m : c.members) {
        const QString getter = UpperFirst(m.memberName);
        if (byGetter.contains(getter)) {
            if (byGetter[getter] == m.memberName)
                return ModelCheck::DuplicateMemberError(c.className, m.memberName);
            return GetterClashError(c.className, byGetter[getter], m.memberName);
        }
        byGetter.insert(getter, m.memberName);
        if (std::optional<QString> error = MemberError(model, c, m))
            return error;
        if (std::optional<QString> error = ModelCheck::LengthError(m, c.className))
            return error;
        if (std::optional<QString> error = ModelCheck::ScaleError(m, c.className))
            return error;
        if (std::optional<QString> error = ModelCheck::DatabaseNameError(
                "成员" + c.className + "." + m.memberName + "的列名", m.columnName))
            return error;
    }
    return RowSizeError(model, c);
}

bool HasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
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

bool IsWebName(const QString& name) {
    for (QChar c : name)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))))
            return false;
    return true;
}

bool IsPageRootName(const QString& name) {
    return PageRootNames().contains(name);
}

bool IsTakenObjectName(const QString& name) {
    return IsReservedWord(name) || PageExpressionWords().contains(name) ||
           HqlAliasWords().contains(name) || PageRootNames().contains(name) ||
           ObjectLocals().contains(name) || name == QLatin1String("java") ||
           name == QLatin1String("com");
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

std::optional<QString> LengthError(const TMember& m, const QString& className) {
    if (std::optional<QString> error = LengthRangeError(m, className))
        return error;
    if (m.memberType == MemberTypes::Decimal) {
        if (m.memberLength >= 1 && m.memberLength <= kMaxDecimalPrecision)
            return std::nullopt;
        return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "的精度" +
               QString::number(m.memberLength) + "超出范围: 小数型的精度必须在1到" +
               QString::number(kMaxDecimalPrecision) + "之间";
    }
    if (m.memberType != MemberTypes::String ||
        (m.memberLength >= 1 && m.memberLength <= kMaxStringLength))
        return std::nullopt;
    return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "的长度" +
           QString::number(m.memberLength) + "超出范围: 字符串的长度必须在1到" +
           QString::number(kMaxStringLength) + "之间";
}

std::optional<QString> ScaleError(const TMember& m, const QString& className) {
    if (m.memberType != MemberTypes::Decimal)
        return std::nullopt;
    const qint64 most = qMin<qint64>(qMax<qint64>(m.memberLength, 0), kMaxDecimalScale);
    if (m.memberScale >= 0 && m.memberScale <= most)
        return std::nullopt;
    return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "的小数位数" +
           QString::number(m.memberScale) + "超出范围: 小数型的小数位数必须在0到" +
           QString::number(most) + "之间";
}

std::optional<QString> ProjectNameError(const QString& name) {
    if (std::optional<QString> error = UnsafeNameError(QStringLiteral("工程名称"), name))
        return error;
    if (HasLoneSurrogate(name))
        return "工程名称" + Quoted(Printable(name)) + "含有无效的字符(不成对的UTF-16代理项)";
    if (name.toUtf8().size() > kMaxNameBytes)
        return "工程名称" + Printable(name.left(20)) + "...太长: 以UTF-8计不能超过" +
               QString::number(kMaxNameBytes) + "个字节";
    return std::nullopt;
}

std::optional<QString> ClassRuleError(const TProjectModel& model, const TClassModel& c) {
    return ClassError(model, c);
}

std::optional<QString> DatabaseNameError(const QString& kind, const QString& name) {
    if (name.size() > kMaxDatabaseNameLength)
        return kind + Quoted(Printable(name)) + "超过" + QString::number(kMaxDatabaseNameLength) +
               "个字符";
    for (QChar c : name)
        if (c == QLatin1Char('`') || c == QLatin1Char('"') || c.unicode() < 0x20 ||
            c.unicode() == 0x7f)
            return kind + Quoted(Printable(name)) + "不能含有引号(`或\")或控制字符";
    if (name != name.trimmed())
        return kind + Quoted(Printable(name)) + "不能以空白开始或结束";
    return std::nullopt;
}

std::optional<QString> NameError(const QString& kind, const QString& name) {
    if (!IsJavaIdentifier(name))
        return kind + Quoted(Printable(name)) + "不是合法的Java标识符: " + kIdentifierRule;
    if (IsReservedWord(name))
        return kind + Quoted(Printable(name)) + "是Java的保留字";
    if (!FitsGbk(name))
        return kind + Quoted(Printable(name)) + "含有GBK无法保存的字符";
    return std::nullopt;
}

const TClassModel* FirstWithoutOne(const TProjectModel& model, int (TClassModel::*count)() const) {
    for (const TClassModel& c : model.Classes())
        if ((c.*count)() != 1)
            return &c;
    return nullptr;
}

namespace {

// The folders of the run and every name that becomes part of a path: none may lead out of the
// output root.
std::optional<QString> PathError(const TProjectModel& model, const TGenerationSettings& settings) {
    if (!QDir::isAbsolutePath(settings.rootDir))
        return "程序目录必须是绝对路径: " + Quoted(settings.rootDir);
    if (!settings.resourceDir.isEmpty() && !QDir::isAbsolutePath(settings.resourceDir))
        return "资源目录必须是绝对路径: " + Quoted(settings.resourceDir);
    if (std::optional<QString> error = ProjectNameError(settings.projectName))
        return error;
    if (std::optional<QString> error =
            UnsafeNameError(QStringLiteral("包名"), settings.packageName))
        return error;
    for (const TClassModel& c : model.Classes())
        if (std::optional<QString> error = UnsafeNameError(QStringLiteral("类名"), c.className))
            return error;
    return std::nullopt;
}

} // namespace

std::optional<TRefusal> FirstRefusal(const TProjectModel& model,
                                     const TGenerationSettings& settings) {
    if (const TClassModel* c = FirstWithoutOne(model, &TClassModel::CountKeyMembers))
        return TRefusal{TRefusalKind::PrimaryKey,
                        PrimaryKeyErrorText(Printable(c->className), c->CountKeyMembers()),
                        c->classId, c->className};
    if (const TClassModel* c = FirstWithoutOne(model, &TClassModel::CountDisplayMembers))
        return TRefusal{TRefusalKind::DisplayMember,
                        DisplayMemberErrorText(Printable(c->className)), c->classId, c->className};
    if (std::optional<QString> error = PathError(model, settings))
        return TRefusal{TRefusalKind::Path, *error, 0, QString()};
    if (settings.skipModelRules)
        return std::nullopt;
    if (std::optional<QString> error = FirstModelError(model, settings.packageName))
        return TRefusal{TRefusalKind::ModelRule, *error, 0, QString()};
    return std::nullopt;
}

QString PrimaryKeyErrorText(const QString& className, int keyCount) {
    if (keyCount == 0)
        return className + QStringLiteral("表没有设置主键，每个类必须设置一个主键!");
    return className + QStringLiteral("表主键设置错误，每个类只能设置一个主键!");
}

QString DisplayMemberErrorText(const QString& className) {
    return className + QStringLiteral("表显示成员设置错误，每个类有且只能设置一个显示成员!");
}

std::optional<QString> AdminTableError(const TProjectModel& model) {
    const QString admin = model.Database().AdminTable();
    if (std::optional<QString> error = DatabaseNameError(QStringLiteral("管理员表名"), admin))
        return error;
    for (const TClassModel& c : model.Classes()) {
        const bool clash = c.tableName.isEmpty()
                               ? c.className == admin
                               : c.tableName.compare(admin, Qt::CaseInsensitive) == 0;
        if (clash)
            return "管理员表名" + Quoted(Printable(admin)) + "与类" +
                   Quoted(Printable(c.className)) + "的数据库表同名";
    }
    return std::nullopt;
}

std::optional<QString> FirstModelError(const TProjectModel& model, const QString& packageName) {
    if (std::optional<QString> error = NameError(QStringLiteral("包名"), packageName))
        return error;
    if (packageName.toUtf8().size() > kMaxNameBytes)
        return "包名太长: 以UTF-8计不能超过" + QString::number(kMaxNameBytes) + "个字节";
    if (std::optional<QString> error = DuplicateClass(model))
        return error;
    for (const TClassModel& c : model.Classes())
        if (std::optional<QString> error = ClassError(model, c))
            return error;
    return AdminTableError(model);
}

std::optional<QString> UnsafeNameError(const QString& kind, const QString& name) {
    if (IsSafeName(name))
        return std::nullopt;
    return kind + Quoted(Printable(name)) +
           "不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\","
           "也不能含有/、\\或控制字符";
}

std::optional<QString> ClassNameEntryError(const QString& className) {
    // A name that does not even start with an ASCII character is told what it may hold.
    if (!className.isEmpty() && className[0].unicode() >= 0x80)
        return ClassWebNameError(className);
    if (!StartsUpperCase(className))
        return kClassFirstLetterRule;
    if (!IsWebName(className))
        return ClassWebNameError(className);
    // Then every rule the run applies to the name alone: names the generated code takes,
    // the length, words of the pages and the queries.
    TClassModel named;
    named.className = className;
    return ClassNameError(named);
}

bool StartsUpperCase(const QString& text) {
    return !text.isEmpty() && text[0] >= QLatin1Char('A') && text[0] <= QLatin1Char('Z');
}

bool StartsLowerCase(const QString& text) {
    return !text.isEmpty() && text[0] >= QLatin1Char('a') && text[0] <= QLatin1Char('z');
}

std::optional<QString> MemberNameEntryError(const QString& name, const TClassModel& c,
                                            qint64 editedMemberId) {
    if (!name.isEmpty() && name[0].unicode() >= 0x80)
        return MemberWebNameError(c, name);
    if (!StartsLowerCase(name))
        return kMemberFirstLetterRule;
    if (!IsWebName(name))
        return MemberWebNameError(c, name);
    if (std::optional<QString> error = NameError(MemberKind(c), name))
        return error;
    for (const TMember& member : c.members)
        if (member.memberName == name && member.memberId != editedMemberId)
            return DuplicateMemberError(c.className, name);
    return std::nullopt;
}

std::optional<QString> MemberTypeEntryError(const QString& type, bool required, bool key,
                                            bool query) {
    if (type != MemberTypes::String && !required)
        return kRequiredRule;
    if (key && !IsKeyType(type))
        return kKeyTypeRule;
    if (query && !IsQueryType(type))
        return kQueryTypeRule;
    if (query && key && type == MemberTypes::Long)
        return kLongKeyQueryRule;
    return std::nullopt;
}

bool OptionalAllowed(const TProjectModel& model, const QString& type) {
    if (type == MemberTypes::String)
        return true;
    if (type == MemberTypes::Text || type == MemberTypes::Boolean)
        return true;
    return (type == MemberTypes::Integer || type == MemberTypes::Float ||
            type == MemberTypes::Date || type == MemberTypes::DateTime ||
            type == MemberTypes::Decimal || type == MemberTypes::Long ||
            !MemberTypes::IsSimple(type)) &&
           model.MapsExistingTables();
}

bool IsKeyType(const QString& type) {
    return type == MemberTypes::String || type == MemberTypes::Integer || type == MemberTypes::Long;
}

bool IsQueryType(const QString& type) {
    return type != MemberTypes::Integer && type != MemberTypes::Float;
}

QString DuplicateClassError(const QString& className) {
    return "类" + Printable(className) + ": " + kClassNameTaken;
}

std::optional<QString> ProjectNameTakenError(const QString& name, const TProjectList& projects) {
    for (const TProjectEntry& project : projects)
        if (project.projectName == name)
            return kProjectNameTaken;
    return std::nullopt;
}

std::optional<QString> ClassNameTakenError(const QString& name, const TClassList& classes) {
    for (const TClassEntry& entry : classes)
        if (entry.className == name)
            return kClassNameTaken;
    return std::nullopt;
}

QString MissingReferenceError(const QString& className, const TMember& m) {
    return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "引用的类" +
           Printable(m.memberType) + "不在本工程中";
}

QString DuplicateMemberError(const QString& className, const QString& memberName) {
    return "类" + Printable(className) + "中有两个名为" + Printable(memberName) + "的成员";
}

namespace {

// The model with the member stored in its class: in place of the member of its id, or added.
TProjectModel WithMember(const TProjectModel& model, qint64 classId, const TMember& m) {
    TProjectModel edited(model.ProjectId());
    for (TClassModel c : model.Classes()) {
        if (c.classId == classId) {
            auto same = [&m](const TMember& other) { return other.memberId == m.memberId; };
            const auto at = std::find_if(c.members.begin(), c.members.end(), same);
            if (m.memberId != 0 && at != c.members.end())
                *at = m;
            else
                c.members.append(m);
        }
        edited.AddClass(c);
    }
    return edited;
}

// A display reference of another class whose path the member lengthens beyond the depth.
std::optional<QString> DisplayThroughError(const TProjectModel& model, const TClassModel& c,
                                           const TMember& m) {
    if (!IsDisplayReference(m))
        return std::nullopt;
    const QString step = c.className + "." + m.memberName;
    for (const TClassModel& other : model.Classes()) {
        const std::optional<TMember> display = other.DisplayMember();
        if (!display || !IsDisplayReference(*display) ||
            !FollowDisplay(model, other, *display).steps.contains(step))
            continue;
        if (std::optional<QString> error = DisplayChainError(model, other, *display))
            return error;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> MemberRuleError(const TProjectModel& model, qint64 classId,
                                       const TMember& m) {
    const TProjectModel edited = WithMember(model, classId, m);
    for (const TClassModel& c : edited.Classes()) {
        if (c.classId != classId)
            continue;
        for (const TMember& other : c.members)
            if (other.memberName != m.memberName &&
                UpperFirst(other.memberName) == UpperFirst(m.memberName))
                return GetterClashError(c.className, other.memberName, m.memberName);
        if (std::optional<QString> error = MemberError(edited, c, m))
            return error;
        if (std::optional<QString> error = DisplayThroughError(edited, c, m))
            return error;
        return RowSizeError(edited, c);
    }
    return std::nullopt;
}

} // namespace ModelCheck
