#include "MappingFile.h"

#include "CodeText.h"
#include "FileOperate.h"

using namespace CodeText;
using MappingFile::ColumnOf;

namespace {

// A database name in an attribute; the model's rules keep quotes and control characters out.
QString XmlName(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return text;
}

QString ColumnAttribute(const TMember& m) {
    return Quoted(XmlName(ColumnOf(m)));
}

QStringList KeyLines(const TMember& key) {
    const QString comment = "<!-- 主键" + XmlComment(key.memberComment) + " -->";
    const QString name = Quoted(key.memberName);
    if (IsNumberKeyType(key.memberType)) {
        const QString generator = IsAssignedKey(key) ? "assigned" : "native";
        const QString type = key.memberType == MemberTypes::Long ? " type=\"long\"" : "";
        return {comment, "<id name=" + name + " column=" + ColumnAttribute(key) + type + ">",
                "  <generator class=" + Quoted(generator) + "/>", "</id>", ""};
    }
    // Any other key is an assigned string of length 20, whatever its own type and length.
    const QString column =
        key.columnName.isEmpty() ? QString() : " column=" + ColumnAttribute(key);
    return {comment,
            "<id name=" + name + column +
                " type=\"string\" length=" + Quoted(QString::number(kStringKeyLength)) + ">",
            "  <generator class=\"assigned\"/>", "</id>", ""};
}

// A text column of an existing table that may be NULL: an empty field is written as NULL, so
// that a row saved unchanged keeps its NULLs (a NULL is shown as an empty field).
bool EmptyIsNull(const TMember& m) {
    return !m.columnName.isEmpty() && m.memberIsMust == 0 &&
           (m.memberType == MemberTypes::String || m.memberType == MemberTypes::Date ||
            m.memberType == MemberTypes::Text || m.memberType == MemberTypes::DateTime ||
            m.memberType == MemberTypes::Decimal);
}

// A long text's MariaDB/MySQL column: TEXT holds 65,535 bytes, MEDIUMTEXT 16 MB, LONGTEXT 4 GB,
// a character taking up to four bytes. PostgreSQL's text holds any (ForPostgres).
QString TextSqlType(const TMember& m) {
    if (m.memberLength <= 65535 / 4)
        return QStringLiteral("text");
    return m.memberLength <= 16777215 / 4 ? QStringLiteral("mediumtext")
                                          : QStringLiteral("longtext");
}

QStringList TextLines(const TMember& m, const QString& comment) {
    const QString write = EmptyIsNull(m) ? QStringLiteral(" write=\"nullif(?, '')\"") : QString();
    return {comment,
            "<property",
            "  name=" + Quoted(m.memberName),
            "  type=\"string\"",
            ">",
            "  <column name=" + ColumnAttribute(m) + " sql-type=" + Quoted(TextSqlType(m)) + write +
                "/>",
            "</property>",
            ""};
}

// A date and time or a decimal: a text in Java (a date and time kept as yyyy-MM-dd HH:mm:ss
// by the domain's setter, a decimal read back as the column shows it: all its scale's digits,
// never in E notation) in a DATETIME or DECIMAL column, which takes the text as it is;
// PostgreSQL's timestamp and numeric take it cast.
QStringList CastTextLines(const TMember& m, const QString& comment, bool postgres) {
    const bool decimal = m.memberType == MemberTypes::Decimal;
    const QString size =
        "(" + QString::number(m.memberLength) + "," + QString::number(m.memberScale) + ")";
    const QString sqlType = decimal ? QString(postgres ? "numeric" : "decimal") + size
                                    : QString(postgres ? "timestamp" : "datetime");
    QString value = EmptyIsNull(m) ? QStringLiteral("nullif(?, '')") : QStringLiteral("?");
    if (postgres)
        value = "cast(" + value + " as " + sqlType + ")";
    const QString write = value == QLatin1String("?") ? QString() : " write=" + Quoted(value);
    return {comment,
            "<property",
            "  name=" + Quoted(m.memberName),
            "  type=\"string\"",
            ">",
            "  <column name=" + ColumnAttribute(m) + " sql-type=" + Quoted(sqlType) + write + "/>",
            "</property>",
            ""};
}

// The lines between a property's column line and its closing line.
QStringList PropertyAttributes(const TMember& m) {
    if (m.memberType == MemberTypes::String)
        return {"  type=\"string\"", "  length=" + Quoted(QString::number(m.memberLength))};
    if (m.memberType == MemberTypes::Integer)
        return {"  type=\"int\"", ""}; // the integer property alone has the empty line
    if (m.memberType == MemberTypes::Long)
        return {"  type=\"long\""};
    return {"  \ttype=\"string\"", "  \tlength=\"10\""}; // a date is a string of 10
}

bool LookupIndexed(const TClassModel& c, const TMember& m) {
    const std::optional<TMember> lookup = MappingFile::LookupMember(c);
    return lookup && lookup->memberName == m.memberName;
}

// A simple member; its type word names the kind in the comment line. A float's column is a
// DOUBLE: a FLOAT column is read back as text of six digits, which loses what a float holds.
QStringList PropertyLines(const TMember& m, bool indexed, bool postgres) {
    const QString name = Quoted(m.memberName);
    const QString comment =
        "<!-- 简单" + m.memberType + "属性: " + XmlComment(m.memberComment) + " -->";
    if (m.memberType == MemberTypes::Float)
        return {comment,
                "<property",
                "  name=" + name,
                "  type=\"float\"",
                ">",
                "  <column name=" + ColumnAttribute(m) + " sql-type=\"double\"/>",
                "</property>",
                ""};
    if (m.memberType == MemberTypes::Text)
        return TextLines(m, comment);
    if (m.memberType == MemberTypes::DateTime || m.memberType == MemberTypes::Decimal)
        return CastTextLines(m, comment, postgres);
    if (m.memberType == MemberTypes::Boolean) // a BOOLEAN, not the BIT hbm2ddl would make
        return {comment,
                "<property",
                "  name=" + name,
                "  type=\"boolean\"",
                ">",
                "  <column name=" + ColumnAttribute(m) + " sql-type=\"boolean\"/>",
                "</property>",
                ""};
    if (EmptyIsNull(m)) {
        QStringList lines{comment, "<property", "  name=" + name};
        lines << PropertyAttributes(m) << QStringLiteral(">")
              << "  <column name=" + ColumnAttribute(m) + " write=\"nullif(?, '')\"/>"
              << QStringLiteral("</property>") << QString();
        return lines;
    }
    QStringList lines{comment, "<property", "  name=" + name, "  column=" + ColumnAttribute(m)};
    lines << PropertyAttributes(m);
    if (indexed)
        lines << QStringLiteral("  index=\"lookup\"");
    lines << QStringLiteral("/>") << QString();
    return lines;
}

// A required reference is not null in the database, so that a key naming no object is refused
// rather than stored as an empty reference. Nothing cascades to the referenced row: the Action
// loads it, and two references may reach one row.
QStringList ReferenceLines(const TMember& m, const QString& column) {
    QStringList lines{"<!-- 多对一属性: " + XmlComment(m.memberComment) + " -->",
                      "<many-to-one name=" + Quoted(m.memberName),
                      "  column=" + Quoted(XmlName(column)),
                      "  class=" + Quoted(m.memberType)};
    if (m.memberIsMust == 1)
        lines << QStringLiteral("  not-null=\"true\"");
    return lines << QStringLiteral("  lazy=\"false\"") << QStringLiteral("  outer-join=\"true\"")
                 << QStringLiteral("/>") << QString();
}

// True when `column` is, whatever its case, the column of another member of the class or one
// already given to an earlier reference.
bool ColumnTaken(const TClassModel& c, const TMember& m, const QString& column,
                 const QStringList& taken) {
    for (const TMember& other : c.members)
        if (other.memberName != m.memberName &&
            ColumnOf(other).compare(column, Qt::CaseInsensitive) == 0)
            return true;
    for (const QString& t : taken)
        if (t.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The foreign-key column: the referenced class's key member for the first reference of the
// class to it, the member's own name for a later one (one column cannot serve two) or where
// the key's name is another column of the class.
QString ReferenceColumn(const TBuildContext& context, const TClassModel& c,
                        const QList<TMember>& members, qsizetype index, const QStringList& taken,
                        QStringList& warnings) {
    const TMember& m = members[index];
    if (!m.columnName.isEmpty()) // the foreign key's own column
        return m.columnName;
    if (!IsFirstOfType(members, index))
        return m.memberName;
    const QString column = ReferencedKey(context.model, m.memberType).memberName;
    if (ColumnTaken(c, m, column, taken))
        return m.memberName;
    if (!context.model.KeyMemberOfClass(m.memberType))
        warnings << "警告: " + c.className + "." + m.memberName + "的类型" + Quoted(m.memberType) +
                        "不是本工程中有主键的类,外键列名写为" + column;
    return column;
}

QString Section(const TBuildContext& context, const TClassModel& c, QStringList& warnings) {
    QString section;
    const TMember key = KeyOf(c);
    if (key.memberType == MemberTypes::String && key.memberLength > kStringKeyLength)
        warnings << "警告: " + c.className + "." + key.memberName + "是字符串主键, 声明的长度" +
                        QString::number(key.memberLength) + "超过数据库列的长度" +
                        QString::number(kStringKeyLength) + ", 页面只接受" +
                        QString::number(kStringKeyLength) + "个字符";
    AddLines(section, 10, KeyLines(key));
    const QList<TMember> members = c.NonKeyMembers();
    QStringList referenceColumns;
    for (qsizetype i = 0; i < members.size(); ++i) {
        const TMember& m = members[i];
        if (MemberTypes::IsSimple(m.memberType)) {
            AddLines(section, 10,
                     PropertyLines(m, LookupIndexed(c, m),
                                   context.model.Database().kind == TDatabaseKind::PostgreSql));
            continue;
        }
        referenceColumns << ReferenceColumn(context, c, members, i, referenceColumns, warnings);
        AddLines(section, 10, ReferenceLines(m, referenceColumns.last()));
    }
    return section;
}

// The mapping for PostgreSQL: keys from the column's own sequence (SERIAL or IDENTITY, which
// hbm2ddl creates too), a DOUBLE PRECISION for a float, an index name of its own (index names
// are unique per schema there), and an empty date field cast to the column's type.
QString ForPostgres(QString section, const TClassModel& c) {
    section.replace(QLatin1String("<generator class=\"native\"/>"),
                    QLatin1String("<generator class=\"identity\"/>"));
    section.replace(QLatin1String("sql-type=\"double\""),
                    QLatin1String("sql-type=\"double precision\""));
    for (const char* longText : {"sql-type=\"mediumtext\"", "sql-type=\"longtext\""})
        section.replace(QLatin1String(longText), QLatin1String("sql-type=\"text\""));
    section.replace(QLatin1String("index=\"lookup\""),
                    "index=" + Quoted(XmlName("lookup_" + c.className)));
    for (const TMember& m : c.members)
        if (m.memberType == MemberTypes::Date && EmptyIsNull(m))
            section.replace("<column name=" + ColumnAttribute(m) + " write=\"nullif(?, '')\"/>",
                            "<column name=" + ColumnAttribute(m) +
                                " write=\"cast(nullif(?, '') as date)\"/>");
    return section;
}

} // namespace

namespace MappingFile {

TGeneratedFile BuildMappingFile(const TBuildContext& context, const TClassModel& c,
                                const QString& templateText) {
    TGeneratedFile file{PackagePath(context.packageName, "domain/" + c.className + ".hbm.xml"),
                        {},
                        TFileEncoding::Utf8Bom,
                        kConfigDone,
                        {}};
    QString section = Section(context, c, file.warnings);
    if (context.model.Database().kind == TDatabaseKind::PostgreSql)
        section = ForPostgres(section, c);
    QString text = TFileOperate::ReplaceMarker(
        templateText, QStringLiteral("$hibernateContentConfigString"), section);
    text = TFileOperate::ReplaceMarker(text, kPackageMarker, context.packageName);
    if (!c.tableName.isEmpty()) // the template names the table after the class
        text.replace(QStringLiteral("table=\"`$className`\""),
                     "table=\"`" + XmlName(c.tableName) + "`\"");
    file.text = TFileOperate::ReplaceMarker(text, QStringLiteral("$className"), c.className);
    return file;
}

std::optional<TMember> LookupMember(const TClassModel& c) {
    const std::optional<TMember> display = c.DisplayMember();
    if (!display || display->memberIsPri == 1)
        return std::nullopt;
    const TMember& m = *display;
    if (m.memberType == MemberTypes::Date ||
        (m.memberType == MemberTypes::String && m.memberLength > 0 && m.memberLength <= 191))
        return m;
    return std::nullopt;
}

QString ColumnOf(const TMember& m) {
    return m.columnName.isEmpty() ? m.memberName : m.columnName;
}

} // namespace MappingFile
