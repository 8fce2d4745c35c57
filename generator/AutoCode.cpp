#include "AutoCode.h"

#include <QDir>
#include <QStringList>
#include <exception>
#include <stdexcept>

#include "FileOperate.h"
#include "MemberDAO.h"

namespace {

const QString kGenerated = QStringLiteral("生成完成!");
const QString kMoved = QStringLiteral("移动完毕!");
const QString kPackageMarker = QStringLiteral("$packageName");

// One entry of the fixed support sources: a template filled with the package name, or a
// file copied unchanged.
struct TFixedEntry {
    bool isTemplate;
    const char* subFolder;
    const char* fileName;
};

const TFixedEntry kFixedEntries[] = {
    {true, "test", "TestUtil.java"},
    {true, "utils", "HibernateUtil.java"},
    {true, "utils", "CardIdFieldValidator.java"},
    {true, "action", "LoginAction.java"},
    {false, "action", "LoginAction-login_CheckLogin-validation.xml"},
    {true, "action", "UserAction.java"},
    {true, "action", "ChangePasswordAction.java"},
    {true, "dao", "AdminDAO.java"},
    {true, "domain", "Admin.java"},
    {true, "domain", "Admin.hbm.xml"},
    {false, "domain", "Admin-admin-validation.xml"},
};

const char* const kScaffoldFolders[] = {".myeclipse", ".settings", "WebRoot"};
const char* const kScaffoldFiles[] = {".classpath", ".mymetadata", ".project"};

// Appends each line with its indent and CR LF; an empty line gets no indent.
void AddLines(QString& text, int indent, const QStringList& lines) {
    for (const QString& line : lines) {
        if (!line.isEmpty())
            text += QString(indent, QLatin1Char(' ')) + line;
        text += QStringLiteral("\r\n");
    }
}

QString Quoted(const QString& value) {
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// The name with a leading A..Z in lower case.
QString LowerFirst(const QString& name) {
    QString result = name;
    if (!result.isEmpty() && result[0] >= QLatin1Char('A') && result[0] <= QLatin1Char('Z'))
        result[0] = QChar(result[0].unicode() + 32);
    return result;
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

void RequireSafeName(const QString& kind, const QString& name) {
    if (IsSafeName(name))
        return;
    const QString message = kind + Quoted(name) +
                            "不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\","
                            "也不能含有/、\\或控制字符";
    throw std::runtime_error(message.toStdString());
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
            "  </action>",
            "</package>",
            ""};
}

QStringList KeyLines(const TMember& key) {
    const QString comment = "<!-- 主键" + key.memberComment + " -->";
    const QString name = Quoted(key.memberName);
    if (key.memberIsInteger == 1)
        return {comment, "<id name=" + name + " column=" + name + ">",
                "  <generator class=\"native\"/>", "</id>", ""};
    // Any other key is an assigned string of length 20, whatever its own type and length.
    return {comment, "<id name=" + name + " type=\"string\" length=\"20\">",
            "  <generator class=\"assigned\"/>", "</id>", ""};
}

// The lines between a property's column line and its closing line.
QStringList PropertyAttributes(const TMember& m) {
    if (m.memberType == MemberTypes::String)
        return {"  type=\"string\"", "  length=" + Quoted(QString::number(m.memberLength))};
    if (m.memberType == MemberTypes::Integer)
        return {"  type=\"int\"", ""}; // the integer property alone has the empty line
    if (m.memberType == MemberTypes::Float)
        return {"  type=\"float\""};
    return {"  \ttype=\"string\"", "  \tlength=\"10\""}; // a date is a string of 10
}

// A simple member; its type word names the kind in the comment line.
QStringList PropertyLines(const TMember& m) {
    const QString name = Quoted(m.memberName);
    QStringList lines{"<!-- 简单" + m.memberType + "属性: " + m.memberComment + " -->", "<property",
                      "  name=" + name, "  column=" + name};
    lines << PropertyAttributes(m) << QStringLiteral("/>") << QString();
    return lines;
}

QStringList ReferenceLines(const TMember& m, const QString& column) {
    return {"<!-- 多对一属性: " + m.memberComment + " -->",
            "<many-to-one name=" + Quoted(m.memberName),
            "  column=" + Quoted(column),
            "  class=" + Quoted(m.memberType),
            "  lazy=\"false\"",
            "  outer-join=\"true\"",
            "  cascade=\"save-update\"",
            "/>",
            ""};
}

} // namespace

TAutoCode::TAutoCode(const TGenerationSettings& settings, TGenerationListener* listener,
                     QObject* parent)
    : QThread(parent), settings_(settings), listener_(listener) {}

void TAutoCode::run() {
    Execute();
}

void TAutoCode::Execute() {
    try {
        Generate();
    } catch (const std::exception& error) {
        Fail(QString::fromUtf8(error.what()));
    } catch (...) {
        Fail(QStringLiteral("未知错误"));
    }
}

void TAutoCode::Generate() {
    const TClassList classes = TClassDAO().ListClasses(settings_.projectId);
    if (!CheckModel(classes))
        return;
    CheckNames(classes);
    GenerateStrutsXml(classes);
    GenerateBeansXml(classes);
    GenerateHibernateConfig(settings_.packageName, classes);
    CopyFixedTemplates();
    GenerateDomainClasses(settings_.packageName, classes);
    GenerateActionClasses(settings_.packageName, classes);
    GenerateDaoClasses(settings_.packageName, classes);
    CopyResourceFolders();
    if (listener_ != nullptr)
        listener_->OnFinished();
}

bool TAutoCode::CheckModel(const TClassList& classes) {
    TClassDAO store;
    const bool keysOk = store.CheckPrimaryKeys(classes, [this](int classId) {
        if (listener_ != nullptr)
            listener_->OnPrimaryKeyError(classId);
    });
    return keysOk && store.CheckDisplayMembers(classes, [this](int classId) {
        if (listener_ != nullptr)
            listener_->OnDisplayMemberError(classId);
    });
}

// Every name below becomes part of a path: none may lead out of the output root.
void TAutoCode::CheckNames(const TClassList& classes) const {
    if (!QDir::isAbsolutePath(settings_.rootDir))
        throw std::runtime_error(
            ("程序目录必须是绝对路径: " + Quoted(settings_.rootDir)).toStdString());
    RequireSafeName(QStringLiteral("工程名称"), settings_.projectName);
    RequireSafeName(QStringLiteral("包名"), settings_.packageName);
    for (const TClassEntry& entry : classes)
        RequireSafeName(QStringLiteral("类名"), entry.className);
}

void TAutoCode::GenerateStrutsXml(const TClassList& classes) {
    QString section;
    for (const TClassEntry& entry : classes)
        AddLines(section, 9, StrutsBlock(entry.className));
    QString text = ReadTemplate(QStringLiteral("template/src/struts.xml"));
    text = TFileOperate::ReplaceMarker(text, QStringLiteral("$struts2ConfigString"), section);
    text = TFileOperate::ReplaceMarker(text, kPackageMarker, settings_.packageName);
    SaveUtf8(Output("src"), Output("src/struts.xml"), text, kGenerated);
}

void TAutoCode::GenerateBeansXml(const TClassList& classes) {
    QString section;
    for (const TClassEntry& entry : classes) {
        const QString& name = entry.className;
        AddLines(section, 4,
                 {"<bean id=" + Quoted(LowerFirst(name) + "Action") + " class=" +
                  Quoted("com." + settings_.packageName + ".action." + name + "Action") +
                  " scope=\"prototype\"></bean>"});
    }
    QString text = ReadTemplate(QStringLiteral("template/src/beans.xml"));
    text = TFileOperate::ReplaceMarker(text, QStringLiteral("$springConfig"), section);
    text = TFileOperate::ReplaceMarker(text, kPackageMarker, settings_.packageName);
    SaveUtf8(Output("src"), Output("src/beans.xml"), text, kGenerated);
}

void TAutoCode::GenerateHibernateConfig(const QString& packageName, const TClassList& classes) {
    QString section;
    for (const TClassEntry& entry : classes) {
        const QString resource = "com/" + packageName + "/domain/" + entry.className + ".hbm.xml";
        AddLines(section, 8, {"<mapping resource=" + Quoted(resource) + " />"});
    }
    QString text = ReadTemplate(QStringLiteral("template/src/hibernate.cfg.xml"));
    text = TFileOperate::ReplaceMarker(text, QStringLiteral("$hibernateConfigString"), section);
    text = TFileOperate::ReplaceMarker(text, kPackageMarker, packageName);
    SaveAnsi(Output("src"), Output("src/hibernate.cfg.xml"), text, kGenerated);
    for (const TClassEntry& entry : classes) {
        const QString file = Output(PackagePath("domain/" + entry.className + ".hbm.xml"));
        GenerateMappingFile(entry.classId, entry.className, file);
    }
}

void TAutoCode::GenerateMappingFile(int classId, const QString& className,
                                    const QString& filePath) {
    const QString section = MappingSection(classId, className);
    QString text = ReadTemplate(QStringLiteral("template/src/com/packageName/domain/"
                                               "className.hbm.xml"));
    text =
        TFileOperate::ReplaceMarker(text, QStringLiteral("$hibernateContentConfigString"), section);
    text = TFileOperate::ReplaceMarker(text, kPackageMarker, settings_.packageName);
    text = TFileOperate::ReplaceMarker(text, QStringLiteral("$className"), className);
    SaveUtf8(Output(PackagePath("domain")), filePath, text, kGenerated);
}

QString TAutoCode::MappingSection(int classId, const QString& className) {
    TMemberDAO members;
    const std::optional<TMember> key = members.GetKeyMember(classId);
    if (!key)
        throw std::runtime_error(("类" + className + "没有主键成员").toStdString());
    QString section;
    AddLines(section, 10, KeyLines(*key));
    TResultSetPtr rows = members.OpenNonKeyMembers(classId);
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const TMember member = TMemberDAO::ReadMember(*rows);
        if (MemberTypes::IsSimple(member.memberType))
            AddLines(section, 10, PropertyLines(member));
        else
            AddLines(section, 10,
                     ReferenceLines(
                         member, ReferenceColumn(className, member.memberName, member.memberType)));
    }
    return section;
}

// The foreign-key column is named after the referenced class's key member. When the type
// names no class of the project with a key (a deleted class), it is named "<referenced
// class>Id" with a lower-case first letter, the usual Hibernate naming, and the log says so.
QString TAutoCode::ReferenceColumn(const QString& className, const QString& memberName,
                                   const QString& memberType) {
    const std::optional<TMember> key =
        TMemberDAO().GetKeyMemberOfClass(settings_.projectId, memberType);
    if (key)
        return key->memberName;
    const QString column = LowerFirst(memberType) + "Id";
    Progress("警告: " + className + "." + memberName + "的类型" + Quoted(memberType) +
             "不是本工程中有主键的类,外键列名写为" + column);
    return column;
}

void TAutoCode::CopyFixedTemplates() {
    for (const TFixedEntry& entry : kFixedEntries) {
        const QString sub = QString::fromLatin1(entry.subFolder);
        const QString name = QString::fromLatin1(entry.fileName);
        const QString source = "template/src/com/packageName/" + sub + "/" + name;
        const QString folder = Output(PackagePath(sub));
        const QString file = folder + "/" + name;
        if (entry.isTemplate) {
            const QString text = ReadTemplate(source);
            SaveAnsi(folder, file,
                     TFileOperate::ReplaceMarker(text, kPackageMarker, settings_.packageName),
                     kMoved);
        } else {
            // A missing entry is skipped; its line follows all the same.
            TFileOperate::CopyFile(Absolute(source), Absolute(file));
            Progress(file + kMoved);
        }
    }
}

// Written by the domain class generator, which is not part of this build yet.
void TAutoCode::GenerateDomainClasses(const QString&, const TClassList&) {}

// Written by the Action class generator, which is not part of this build yet.
void TAutoCode::GenerateActionClasses(const QString&, const TClassList&) {}

// Written by the DAO class generator, which is not part of this build yet.
void TAutoCode::GenerateDaoClasses(const QString&, const TClassList&) {}

// A missing bak sub-folder ends the run; a missing single scaffolding file is skipped.
void TAutoCode::CopyResourceFolders() {
    Progress(QStringLiteral("正在移动资源文件。。。"));
    for (const char* folder : kScaffoldFolders) {
        const QString name = QString::fromLatin1(folder);
        const QString source = Absolute("bak/" + name);
        if (!TFileOperate::CopyFolder(source, Absolute(Output(name)), true))
            throw TFileError("无法读取文件夹: " + source);
        Progress("移动" + Output(name) + "文件夹完毕！");
    }
    for (const char* file : kScaffoldFiles) {
        const QString name = QString::fromLatin1(file);
        TFileOperate::CopyFile(Absolute("bak/" + name), Absolute(Output(name)));
    }
    Progress(QStringLiteral("移动资源文件完毕!"));
}

QString TAutoCode::Output(const QString& tail) const {
    return "projects/" + settings_.projectName + "/" + tail;
}

QString TAutoCode::PackagePath(const QString& tail) const {
    return "src/com/" + settings_.packageName + "/" + tail;
}

QString TAutoCode::Absolute(const QString& relative) const {
    return QDir(settings_.rootDir).filePath(relative);
}

QString TAutoCode::ReadTemplate(const QString& relative) const {
    return TFileOperate::ReadTextFile(Absolute(relative));
}

void TAutoCode::SaveUtf8(const QString& folder, const QString& file, const QString& text,
                         const QString& suffix) {
    TFileOperate::SaveTextFile(Absolute(folder), Absolute(file), text);
    Progress(file + suffix);
}

void TAutoCode::SaveAnsi(const QString& folder, const QString& file, const QString& text,
                         const QString& suffix) {
    const int replaced = TFileOperate::SaveAnsiFile(Absolute(folder), Absolute(file), text);
    Progress(file + suffix);
    if (replaced > 0)
        Progress("警告: " + file + "中有" + QString::number(replaced) +
                 "个字符无法以GBK保存,已写为?");
}

void TAutoCode::Progress(const QString& line) {
    if (listener_ != nullptr)
        listener_->OnProgress(line);
}

// The reason goes to the log first, then to the listener; nothing escapes the run.
void TAutoCode::Fail(const QString& reason) {
    try {
        Progress("生成失败: " + reason);
        if (listener_ != nullptr)
            listener_->OnError(reason);
    } catch (...) {
    }
}
