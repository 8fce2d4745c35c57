#include "ConfigFiles.h"

#include "CodeText.h"
#include "FileOperate.h"
#include "MappingFile.h"

using namespace CodeText;

namespace {

// The methods of the class's Action that its wildcard action may call.
QString AllowedMethods(const QString& name) {
    return "AddView,Add" + name + ",Query" + name + ",Modify" + name + "Query,Modify" + name +
           ",Delete" + name + ",Lookup" + name;
}

QStringList StrutsBlock(const QString& name) {
    const QString page = "/" + name;
    return {"<!-- " + ActionClassName(name) + "配置 -->",
            "<package name=" + Quoted(name) + " namespace=" + Quoted(page) +
                " extends=\"struts-default\">",
            "  <action name=" + Quoted(name + "_*") +
                " class=" + Quoted(LowerFirst(ActionClassName(name))) + " method=\"{1}\">",
            "    <result name=\"add_view\">" + page + "_add.jsp</result>",
            "    <result name=\"input\">" + page + "_add.jsp</result>",
            "    <result name=\"add_success\">/message.jsp</result>",
            "    <result name=\"delete_success\">/message.jsp</result>",
            "    <result name=\"modify_success\">/message.jsp</result>",
            "    <result name=\"error\">/error.jsp</result>",
            "    <result name=\"query_view\">" + page + "_query_result.jsp</result>",
            "    <result name=\"modify_view\">" + page + "_modify.jsp</result>",
            "    <allowed-methods>" + AllowedMethods(name) + "</allowed-methods>",
            "  </action>",
            "</package>",
            ""};
}

// For a model of existing tables, which the application neither changes nor indexes: the
// look-up indexes a hand-made project's tables get, as statements the user may run.
QString IndexAdvice(const TProjectModel& model, const QString& newline) {
    // PostgreSQL quotes with double quotes and wants index names unique in the schema.
    const bool postgres = model.Database().kind == TDatabaseKind::PostgreSql;
    const QString quote = postgres ? QStringLiteral("\"") : QStringLiteral("`");
    QStringList statements;
    for (const TClassModel& c : model.Classes())
        if (const std::optional<TMember> m = MappingFile::LookupMember(c)) {
            const QString table = c.tableName.isEmpty() ? c.className : c.tableName;
            const QString name =
                postgres ? QString(quote + "lookup_" + table + quote) : QStringLiteral("lookup");
            statements << "        CREATE INDEX " + name + " ON " + quote + table + quote + " (" +
                              quote + MappingFile::ColumnOf(*m) + quote + ");";
        }
    if (statements.isEmpty())
        return QString();
    QStringList lines{
        QString(), QStringLiteral("已有数据表的索引"),
        QStringLiteral("    本工程使用已有的数据表: 应用不建立、不修改这些表, 也不为它们建立索引 "
                       "(hibernate.hbm2ddl.auto=none)。"),
        QStringLiteral(
            "    输入被引用对象主键时的提示 (<类>_Lookup<类>.action) 按显示值的开头查找; "
            "表的行数多时, 下面的索引让它更快,"),
        QStringLiteral("    需要时由数据库管理员执行 (已有以该列开头的索引时不必执行):")};
    lines << statements;
    return lines.join(newline) + newline;
}

// The template with the section in place of marker, then the package name in place.
QString Fill(const QString& templateText, const QString& marker, const QString& section,
             const QString& packageName) {
    const QString text = TFileOperate::ReplaceMarker(templateText, marker, section);
    return TFileOperate::ReplaceMarker(text, kPackageMarker, packageName);
}

// Jetty takes forms of at most 200,000 bytes; a long text needs Tomcat's default 2 MB.
QString WithFormLimit(const TProjectModel& model, QString pom) {
    bool longText = false;
    for (const TClassModel& c : model.Classes())
        for (const TMember& m : c.members)
            longText = longText || m.memberType == MemberTypes::Text;
    if (!longText)
        return pom;
    const QString newline = pom.contains(QLatin1String("\r\n")) ? "\r\n" : "\n";
    const QString context = QStringLiteral("<contextPath>/</contextPath>");
    return pom.replace(
        context, context + newline +
                     "            <!-- 文本型成员: 表单最大 2 MB (与 Tomcat 默认相同) -->" +
                     newline + "            <maxFormContentSize>2097152</maxFormContentSize>");
}

} // namespace

namespace ConfigFiles {

TGeneratedFile BuildStrutsXml(const TBuildContext& context, const QString& templateText) {
    QString section;
    for (const TClassModel& c : context.model.Classes())
        AddLines(section, 9, StrutsBlock(c.className));
    return {"src/struts.xml",
            Fill(templateText, "$struts2ConfigString", section, context.packageName),
            TFileEncoding::Utf8Bom,
            kConfigDone,
            {}};
}

TGeneratedFile BuildBeansXml(const TBuildContext& context, const QString& templateText) {
    QString section;
    for (const TClassModel& c : context.model.Classes()) {
        const QString& name = c.className;
        const QString javaClass = "com." + context.packageName + ".action." + ActionClassName(name);
        AddLines(section, 4,
                 {"<bean id=" + Quoted(LowerFirst(ActionClassName(name))) +
                  " class=" + Quoted(javaClass) + " scope=\"prototype\"></bean>"});
    }
    return {"src/beans.xml",
            Fill(templateText, "$springConfig", section, context.packageName),
            TFileEncoding::Utf8Bom,
            kConfigDone,
            {}};
}

TGeneratedFile BuildHibernateConfig(const TBuildContext& context, const QString& templateText) {
    QString section;
    for (const TClassModel& c : context.model.Classes()) {
        const QString resource =
            "com/" + context.packageName + "/domain/" + c.className + ".hbm.xml";
        AddLines(section, 8, {"<mapping resource=" + Quoted(resource) + " />"});
    }
    QString text = Fill(templateText, "$hibernateConfigString", section, context.packageName);
    if (context.model.MapsExistingTables()) // the user's tables are neither created nor altered
        text.replace(QLatin1String("<property name=\"hibernate.hbm2ddl.auto\">update</property>"),
                     QLatin1String("<property name=\"hibernate.hbm2ddl.auto\">none</property>"));
    return {"src/hibernate.cfg.xml", text, TFileEncoding::Ansi, kConfigDone, {}};
}

std::optional<TGeneratedFile> BuildRootFile(const TBuildContext& context, const QString& name,
                                            const QString& templateText) {
    if (templateText.isEmpty())
        return std::nullopt;
    QString text = TFileOperate::ReplaceMarker(templateText, kPackageMarker, context.packageName);
    if (name == QLatin1String("pom.xml"))
        text = WithFormLimit(context.model, text);
    if (name == QLatin1String("README.txt") && context.model.MapsExistingTables())
        text += IndexAdvice(context.model, text.contains(QLatin1String("\r\n")) ? "\r\n" : "\n");
    return TGeneratedFile{name, text, TFileEncoding::Utf8, kConfigDone, {}};
}

} // namespace ConfigFiles
