#include "AutoCode.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <exception>
#include <future>
#include <iterator>
#include <stdexcept>

#include "ActionOperate.h"
#include "CodeText.h"
#include "ConfigFiles.h"
#include "DaoOperate.h"
#include "DomainOperate.h"
#include "FileOperate.h"
#include "MappingFile.h"
#include "ModelCheck.h"
#include "Printable.h"
#include "ValidationFiles.h"
#include "ViewFiles.h"

namespace {

using CodeText::kPackageMarker;
using CodeText::Quoted;

const QString kBusy = QStringLiteral("该工程正在生成代码,请稍候");

// Thrown between two files of a run that was asked to stop.
struct TStopped {};

// One entry of the fixed support sources: a template filled with the package name, or a
// file copied unchanged.
struct TFixedEntry {
    bool isTemplate;
    const char* subFolder; // under src/com/<package>/; empty for src/ itself
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
    {true, "utils", "LoginGuardFilter.java"},
    {true, "utils", "FormValueValidator.java"},
    {true, "utils", "ReferenceChoices.java"},
    {true, "", "validators.xml"},
};

// The entry's folder below src/: "/com/<package>/<sub>", or "" for src/ itself.
QString FixedFolder(const TFixedEntry& entry, const QString& packageName) {
    const QString sub = QString::fromLatin1(entry.subFolder);
    return sub.isEmpty() ? QString() : "/com/" + packageName + "/" + sub;
}

// The files at the project's root filled from template/ (when the template has content).
const char* const kRootFiles[] = {"pom.xml", "README.txt", "jetty.xml"};

const char* const kScaffoldFolders[] = {".myeclipse", ".settings", "WebRoot"};
const char* const kScaffoldFiles[] = {".classpath", ".mymetadata", ".project"};

void RequireSafeName(const QString& kind, const QString& name) {
    if (ModelCheck::IsSafeName(name))
        return;
    const QString message = kind + Quoted(Printable(name)) +
                            "不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\","
                            "也不能含有/、\\或控制字符";
    throw std::runtime_error(message.toStdString());
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
    } catch (const TStopped&) {
        Progress(kStoppedLine);
    } catch (const std::exception& error) {
        Fail(QString::fromUtf8(error.what()));
    } catch (...) {
        Fail(QStringLiteral("未知错误"));
    }
}

// The model is read once; every step after the checks works on that copy.
void TAutoCode::Generate() {
    const TProjectModel model = ReadProjectModel(settings_.projectId);
    if (!CheckModel(model))
        return;
    CheckNames(model);
    if (!CheckModelRules(model))
        return;
    if (listener_ != nullptr)
        listener_->OnPlanned(PlannedFiles(model));
    WriteProject({model, settings_.packageName});
    if (listener_ != nullptr)
        listener_->OnFinished();
}

// Every file is written under the project's lock: a second run of the same project, in this
// process or another, is refused before it writes anything.
void TAutoCode::WriteProject(const TBuildContext& context) {
    const TFileLock lock(Absolute("projects/." + settings_.projectName + ".lock"));
    if (!lock.IsHeld())
        throw std::runtime_error(kBusy.toStdString());
    // The project's folder itself is made a real folder too: a link there is replaced.
    TFileOperate::MakeFolderBelow(Absolute(QStringLiteral("projects")),
                                  Absolute(Output(QString())));
    TFileOperate::RemovePartialFiles(Absolute(Output(QString())));
    // The Java sources are built on a second thread while the files before them are written.
    std::future<TGeneratedFiles> javaSources = std::async(std::launch::async, [&context] {
        return TDomainOperate::GenerateDomainClasses(context) +
               TActionOperate::GenerateActionClasses(context) +
               TDaoOperate::GenerateDaoClasses(context) +
               ValidationFiles::GenerateValidationFiles(context);
    });
    Write(ConfigFiles::BuildStrutsXml(context, ReadTemplate("template/src/struts.xml")));
    Write(ConfigFiles::BuildBeansXml(context, ReadTemplate("template/src/beans.xml")));
    Write(
        ConfigFiles::BuildHibernateConfig(context, ReadTemplate("template/src/hibernate.cfg.xml")));
    const QString mapping =
        ReadTemplate(QStringLiteral("template/src/com/packageName/domain/className.hbm.xml"));
    for (const TClassModel& c : context.model.Classes())
        Write(MappingFile::BuildMappingFile(context, c, mapping));
    CopyFixedTemplates();
    WriteAll(javaSources.get());
    CopyResourceFolders();
    WriteWebFiles(context);
    // Files are not flushed one by one: once, before the run says it is done.
    TFileOperate::SyncFileSystem(Absolute(Output(QString())));
}

// The files with a done line: the three configuration files, per class its mapping, three Java
// sources, two validation files and three views, the fixed sources, the menu, and each root
// file whose template has content.
int TAutoCode::PlannedFiles(const TProjectModel& model) const {
    const int perClass = 9;
    int files = 3 + int(std::size(kFixedEntries)) + perClass * int(model.Classes().size()) + 1;
    for (const char* name : kRootFiles)
        files += QFileInfo(Resource("template/" + QString::fromLatin1(name))).size() > 0 ? 1 : 0;
    return files;
}

// Every class has exactly one key member, then every class exactly one display member; the
// first class that fails is reported.
bool TAutoCode::CheckModel(const TProjectModel& model) {
    if (const TClassModel* c = ModelCheck::FirstWithoutOne(model, &TClassModel::CountKeyMembers)) {
        if (listener_ != nullptr)
            listener_->OnPrimaryKeyError(c->classId);
        return false;
    }
    if (const TClassModel* c =
            ModelCheck::FirstWithoutOne(model, &TClassModel::CountDisplayMembers)) {
        if (listener_ != nullptr)
            listener_->OnDisplayMemberError(c->classId);
        return false;
    }
    return true;
}

// The rules that make the generated code compile, after the names are known to be safe paths.
bool TAutoCode::CheckModelRules(const TProjectModel& model) {
    if (settings_.skipModelRules)
        return true;
    if (const std::optional<QString> error =
            ModelCheck::FirstModelError(model, settings_.packageName)) {
        if (listener_ != nullptr)
            listener_->OnModelError(*error);
        return false;
    }
    return true;
}

// Every name below becomes part of a path: none may lead out of the output root.
void TAutoCode::CheckNames(const TProjectModel& model) const {
    if (!QDir::isAbsolutePath(settings_.rootDir))
        throw std::runtime_error(
            QString("程序目录必须是绝对路径: " + Quoted(settings_.rootDir)).toStdString());
    if (!settings_.resourceDir.isEmpty() && !QDir::isAbsolutePath(settings_.resourceDir))
        throw std::runtime_error(
            QString("资源目录必须是绝对路径: " + Quoted(settings_.resourceDir)).toStdString());
    RequireSafeName(QStringLiteral("工程名称"), settings_.projectName);
    if (const std::optional<QString> error = ModelCheck::ProjectNameError(settings_.projectName))
        throw std::runtime_error(error->toStdString());
    RequireSafeName(QStringLiteral("包名"), settings_.packageName);
    for (const TClassModel& c : model.Classes())
        RequireSafeName(QStringLiteral("类名"), c.className);
}

void TAutoCode::CopyFixedTemplates() {
    for (const TFixedEntry& entry : kFixedEntries) {
        const QString name = QString::fromLatin1(entry.fileName);
        const QString source =
            "template/src" + FixedFolder(entry, QStringLiteral("packageName")) + "/" + name;
        const QString folder = Output("src" + FixedFolder(entry, settings_.packageName));
        const QString file = folder + "/" + name;
        StopIfAsked();
        MakeOutputFolder(folder);
        if (entry.isTemplate) {
            const QString text = ReadTemplate(source);
            SaveAnsi(folder, file,
                     TFileOperate::ReplaceMarker(text, kPackageMarker, settings_.packageName),
                     kFixedDone);
        } else {
            // A missing entry is skipped; its line follows all the same.
            TFileOperate::CopyFile(Resource(source), Absolute(file));
            Progress(file + kFixedDone);
        }
    }
}

// A missing bak sub-folder ends the run; a missing single scaffolding file is skipped.
void TAutoCode::CopyResourceFolders() {
    Progress(QStringLiteral("正在移动资源文件。。。"));
    for (const char* folder : kScaffoldFolders) {
        const QString name = QString::fromLatin1(folder);
        const QString source = Resource("bak/" + name);
        StopIfAsked();
        if (!TFileOperate::CopyFolder(source, Absolute(Output(name)), true))
            throw TFileError("无法读取文件夹: " + source);
        Progress("移动" + Output(name) + "文件夹完毕！");
    }
    for (const char* file : kScaffoldFiles) {
        const QString name = QString::fromLatin1(file);
        TFileOperate::CopyFile(Resource("bak/" + name), Absolute(Output(name)));
    }
    Progress(QStringLiteral("移动资源文件完毕!"));
}

// The views, the menu and the build files; each replaces only a file that still has the mark.
void TAutoCode::WriteWebFiles(const TBuildContext& context) {
    TGeneratedFiles files = ViewFiles::GenerateViews(context);
    files << ViewFiles::BuildMenu(context);
    for (const char* name : kRootFiles) {
        const QString file = QString::fromLatin1(name);
        if (std::optional<TGeneratedFile> root =
                ViewFiles::BuildRootFile(context, file, ReadTemplate("template/" + file)))
            files << *root;
    }
    for (const TGeneratedFile& file : files) {
        const QString relative = Output(file.path);
        const std::optional<QByteArray> firstLine = TFileOperate::ReadFirstLine(Absolute(relative));
        if (firstLine && !QString::fromUtf8(*firstLine).contains(ViewFiles::kGeneratedMark))
            Progress("保留已修改的文件: " + relative + " (首行已没有生成标记)");
        else
            Write(file);
    }
}

QString TAutoCode::Output(const QString& tail) const {
    return "projects/" + settings_.projectName + "/" + tail;
}

QString TAutoCode::Absolute(const QString& relative) const {
    return QDir(settings_.rootDir).filePath(relative);
}

QString TAutoCode::Resource(const QString& relative) const {
    const bool own = !settings_.resourceDir.isEmpty();
    return QDir(own ? settings_.resourceDir : settings_.rootDir).filePath(relative);
}

void TAutoCode::MakeOutputFolder(const QString& relative) const {
    TFileOperate::MakeFolderBelow(Absolute(Output(QString())), Absolute(relative));
}

QString TAutoCode::ReadTemplate(const QString& relative) const {
    return TFileOperate::ReadTextFile(Resource(relative));
}

void TAutoCode::Write(const TGeneratedFile& file) {
    StopIfAsked();
    for (const QString& warning : file.warnings)
        Progress(warning);
    const QString relative = Output(file.path);
    const QString folder = relative.left(relative.lastIndexOf(QLatin1Char('/')));
    MakeOutputFolder(folder);
    if (file.encoding == TFileEncoding::Ansi) {
        SaveAnsi(folder, relative, file.text, file.doneSuffix);
        return;
    }
    if (file.encoding == TFileEncoding::Utf8)
        TFileOperate::SaveUtf8File(Absolute(folder), Absolute(relative), file.text);
    else
        TFileOperate::SaveTextFile(Absolute(folder), Absolute(relative), file.text);
    Progress(relative + file.doneSuffix);
}

void TAutoCode::WriteAll(const TGeneratedFiles& files) {
    for (const TGeneratedFile& file : files)
        Write(file);
}

void TAutoCode::SaveAnsi(const QString& folder, const QString& file, const QString& text,
                         const QString& suffix) {
    const int replaced = TFileOperate::SaveAnsiFile(Absolute(folder), Absolute(file), text);
    Progress(file + suffix);
    if (replaced > 0)
        Progress("警告: " + file + "中有" + QString::number(replaced) +
                 "个字符无法以GBK保存,已写为?");
}

void TAutoCode::StopIfAsked() const {
    if (isInterruptionRequested())
        throw TStopped();
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
