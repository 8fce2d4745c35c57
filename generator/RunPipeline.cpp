#include "RunPipeline.h"

#include <QStringList>
#include <future>

#include "ActionOperate.h"
#include "CodeText.h"
#include "ConfigFiles.h"
#include "DaoOperate.h"
#include "DatabaseFiles.h"
#include "DomainOperate.h"
#include "FileOperate.h"
#include "MappingFile.h"
#include "ValidationFiles.h"
#include "ViewFiles.h"

namespace RunPipeline {

namespace {

using CodeText::kPackageMarker;

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
    {true, "utils", "LoginThrottle.java"},
    {true, "utils", "FormValueValidator.java"},
    {true, "utils", "ReferenceChoices.java"},
    {true, "utils", "FailureLog.java"},
    {true, "", "validators.xml"},
    {false, "", "simplelogger.properties"},
};

// The entry's folder below src/: "/com/<package>/<sub>", or "" for src/ itself.
QString FixedFolder(const TFixedEntry& entry, const QString& packageName) {
    const QString sub = QString::fromLatin1(entry.subFolder);
    return sub.isEmpty() ? QString() : "/com/" + packageName + "/" + sub;
}

QString FixedSource(const TFixedEntry& entry) {
    return "template/src" + FixedFolder(entry, QStringLiteral("packageName")) + "/" +
           QString::fromLatin1(entry.fileName);
}

const char* const kScaffoldFolders[] = {".myeclipse", ".settings", "WebRoot"};
const char* const kScaffoldFiles[] = {".classpath", ".mymetadata", ".project"};

const QString kStrutsTemplate = QStringLiteral("template/src/struts.xml");
const QString kBeansTemplate = QStringLiteral("template/src/beans.xml");
const QString kHibernateTemplate = QStringLiteral("template/src/hibernate.cfg.xml");

TRunStep WriteStep(const TGeneratedFile& file) {
    TRunStep step;
    step.file = file;
    return step;
}

TRunSteps WriteSteps(const TGeneratedFiles& files) {
    TRunSteps steps;
    for (const TGeneratedFile& file : files)
        steps << WriteStep(file);
    return steps;
}

TRunStep Note(const QString& line) {
    TRunStep step;
    step.kind = TRunStep::TKind::Note;
    step.doneSuffix = line;
    return step;
}

TRunStep Copy(TRunStep::TKind kind, const QString& source, const QString& target,
              const QString& linePrefix, const QString& doneSuffix) {
    TRunStep step;
    step.kind = kind;
    step.source = source;
    step.target = target;
    step.linePrefix = linePrefix;
    step.doneSuffix = doneSuffix;
    return step;
}

// The views, the menu and the build files; each replaces only a file that still has the mark.
// Restricted to one class: its views only.
TRunSteps WebFiles(const TBuildContext& context, const TRunInput& input) {
    TGeneratedFiles files = ViewFiles::GenerateViews(context);
    if (context.onlyClassId == 0) {
        files << ViewFiles::BuildMenu(context);
        for (const QString& file : ConfigFiles::kRootFiles)
            if (std::optional<TGeneratedFile> root =
                    ConfigFiles::BuildRootFile(context, file, input.Template("template/" + file)))
                files << *root;
    }
    TRunSteps steps;
    for (const TGeneratedFile& file : files) {
        steps << WriteStep(file);
        steps.last().kind = TRunStep::TKind::WriteUnlessModified;
    }
    return steps;
}

// The scaffolding; a project whose database is not the default gets its own notes on the
// libraries instead of the copied ones.
TRunSteps AdaptedScaffolding(const TRunInput& input) {
    TRunSteps steps = CopyResourceFolders();
    const QString notes = input.Template(DatabaseFiles::kLibraryNotes);
    if (input.model.Database().IsDefault() || notes.isEmpty())
        return steps;
    const QString inWebRoot =
        DatabaseFiles::kLibraryNotes.mid(QStringLiteral("bak/WebRoot/").size());
    for (TRunStep& step : steps)
        if (step.kind == TRunStep::TKind::CopyFolder && step.source == QLatin1String("bak/WebRoot"))
            step.skipped << inWebRoot;
    steps.insert(steps.size() - 1,
                 WriteStep({"WebRoot/" + inWebRoot, notes, TFileEncoding::Ansi, kFixedDone, {}}));
    return steps;
}

} // namespace

bool TRunStep::WritesFile() const {
    switch (kind) {
    case TKind::Write:
    case TKind::WriteUnlessModified:
        return true;
    case TKind::CopyFile:
        return !doneSuffix.isEmpty();
    default:
        return false;
    }
}

QStringList TemplatePaths() {
    QStringList paths{kStrutsTemplate, kBeansTemplate, kHibernateTemplate, kMappingTemplate};
    for (const TFixedEntry& entry : kFixedEntries)
        if (entry.isTemplate)
            paths << FixedSource(entry);
    for (const QString& file : ConfigFiles::kRootFiles)
        paths << "template/" + file;
    return paths;
}

TRunInput ReadRunInput(const TGenerationSettings& settings) {
    TRunInput input{ReadProjectModel(settings.projectId), settings.projectName,
                    settings.packageName, {}};
    for (const QString& path : TemplatePaths())
        input.templates.insert(path, TFileOperate::ReadTextFile(settings.Resource(path)));
    if (!input.model.Database().IsDefault()) // its copy of the scaffolding is written adapted
        input.templates.insert(
            DatabaseFiles::kLibraryNotes,
            TFileOperate::ReadTextFile(settings.Resource(DatabaseFiles::kLibraryNotes)));
    return input;
}

TRunSteps CopyFixedTemplates(const TRunInput& input) {
    TRunSteps steps;
    for (const TFixedEntry& entry : kFixedEntries) {
        const QString name = QString::fromLatin1(entry.fileName);
        const QString file = "src" + FixedFolder(entry, input.packageName) + "/" + name;
        if (entry.isTemplate) {
            const QString text = TFileOperate::ReplaceMarker(
                input.Template(FixedSource(entry)), kPackageMarker, input.packageName);
            steps << WriteStep({file, text, TFileEncoding::Ansi, kFixedDone, {}});
        } else {
            // A missing entry is skipped; its line follows all the same.
            steps << Copy(TRunStep::TKind::CopyFile, FixedSource(entry), file, QString(),
                          kFixedDone);
        }
    }
    return steps;
}

// A missing bak sub-folder ends the run; a missing single scaffolding file is skipped.
TRunSteps CopyResourceFolders() {
    TRunSteps steps{Note(QStringLiteral("正在移动资源文件。。。"))};
    for (const char* folder : kScaffoldFolders) {
        const QString name = QString::fromLatin1(folder);
        steps << Copy(TRunStep::TKind::CopyFolder, "bak/" + name, name, QStringLiteral("移动"),
                      QStringLiteral("文件夹完毕！"));
    }
    for (const char* file : kScaffoldFiles) {
        const QString name = QString::fromLatin1(file);
        steps << Copy(TRunStep::TKind::CopyFile, "bak/" + name, name, QString(), QString());
    }
    steps << Note(QStringLiteral("移动资源文件完毕!"));
    return steps;
}

TRunSteps BuildProject(const TRunInput& given, qint64 onlyClassId) {
    TRunInput input = given; // the templates as the project's database needs them
    input.templates = DatabaseFiles::AdaptTemplates(given.templates, given.model.Database());
    const TBuildContext context{input.model, input.packageName, onlyClassId};
    const bool whole = onlyClassId == 0;
    // The Java sources are built on a second thread while the other files are built.
    std::future<TGeneratedFiles> javaSources = std::async(std::launch::async, [&context] {
        return TDomainOperate::GenerateDomainClasses(context) +
               TActionOperate::GenerateActionClasses(context) +
               TDaoOperate::GenerateDaoClasses(context) +
               ValidationFiles::GenerateValidationFiles(context);
    });
    TRunSteps steps;
    if (whole) {
        steps << WriteStep(ConfigFiles::BuildStrutsXml(context, input.Template(kStrutsTemplate)));
        steps << WriteStep(ConfigFiles::BuildBeansXml(context, input.Template(kBeansTemplate)));
        steps << WriteStep(
            ConfigFiles::BuildHibernateConfig(context, input.Template(kHibernateTemplate)));
    }
    const QString mapping = input.Template(kMappingTemplate);
    steps << WriteSteps(
        BuildPerClass(context, [&mapping](const TBuildContext& build, const TClassModel& c) {
            return MappingFile::BuildMappingFile(build, c, mapping);
        }));
    if (whole)
        steps << CopyFixedTemplates(input);
    TRunSteps webFiles = WebFiles(context, input);
    steps << WriteSteps(javaSources.get());
    if (whole)
        steps << AdaptedScaffolding(input);
    steps << webFiles;
    return steps;
}

int PlannedFiles(const TRunSteps& steps) {
    int files = 0;
    for (const TRunStep& step : steps)
        files += step.WritesFile() ? 1 : 0;
    return files;
}

} // namespace RunPipeline
