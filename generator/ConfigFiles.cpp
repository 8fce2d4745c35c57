#include "ConfigFiles.h"

#include "CodeText.h"
#include "FileOperate.h"

using namespace CodeText;

namespace {

// The methods of the class's Action that its wildcard action may call.
QString AllowedMethods(const QString& name) {
    return "AddView,Add" + name + ",Query" + name + ",Modify" + name + "Query,Modify" + name +
           ",Delete" + name + ",Lookup" + name;
}

QStringList StrutsBlock(const QString& name) {
    const QString page = "/" + name;
    return {"<!-- " + name + "Action配置 -->",
            "<package name=" + Quoted(name) + " namespace=" + Quoted(page) +
                " extends=\"struts-default\">",
            "  <action name=" + Quoted(name + "_*") +
                " class=" + Quoted(LowerFirst(name) + "Action") + " method=\"{1}\">",
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

// The template with the section in place of marker, then the package name in place.
QString Fill(const QString& templateText, const QString& marker, const QString& section,
             const QString& packageName) {
    const QString text = TFileOperate::ReplaceMarker(templateText, marker, section);
    return TFileOperate::ReplaceMarker(text, kPackageMarker, packageName);
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
        const QString javaClass = "com." + context.packageName + ".action." + name + "Action";
        AddLines(section, 4,
                 {"<bean id=" + Quoted(LowerFirst(name) + "Action") +
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
    return {"src/hibernate.cfg.xml",
            text,
            TFileEncoding::Ansi,
            kConfigDone,
            {}};
}

std::optional<TGeneratedFile> BuildRootFile(const TBuildContext& context, const QString& name,
                                            const QString& templateText) {
    if (templateText.isEmpty())
        return std::nullopt;
    return TGeneratedFile{
        name,
        TFileOperate::ReplaceMarker(templateText, kPackageMarker, context.packageName),
        TFileEncoding::Utf8,
        kConfigDone,
        {}};
}

} // namespace ConfigFiles
