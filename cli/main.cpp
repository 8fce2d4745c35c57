// The headless command: lists projects, adds the sample project, and runs a generation.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <optional>

#include "AutoCode.h"
#include "ClassDAO.h"
#include "DbHelper.h"
#include "GenerationListener.h"
#include "Printable.h"
#include "ProjectDAO.h"
#include "SampleModel.h"

namespace {

enum TExitCode { kOk = 0, kFailed = 1, kBadArguments = 2, kCheckFailed = 3 };

const char* const kUsage =
    "用法: brennoquill-cli [--root 目录] list\n"
    "      brennoquill-cli [--root 目录] generate --project 工程名称 [--package 包名]\n"
    "      brennoquill-cli [--root 目录] generate --project-id 工程编号 [--package 包名]\n"
    "      brennoquill-cli [--root 目录] sample\n"
    "目录: 程序目录, 含 projects.db、template、bak 和输出目录 projects (默认为程序所在目录)\n"
    "工程编号: list 列出的编号; 有多个同名工程时 --project 不生成, 列出它们的编号 (退出码 2)\n"
    "只有 sample 在没有 projects.db 时创建它; 其他命令报告没有找到数据库 (退出码 1)\n";

struct TOptions {
    QString root;
    QString command;
    std::optional<QString> project;
    std::optional<qint64> projectId;
    QString package = QStringLiteral("brennoquill");
};

// Writes every byte, a NUL character included.
void Print(FILE* stream, const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Takes the value after an option; false when there is none.
bool TakeValue(const QStringList& args, qsizetype& i, QString& value) {
    if (i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
}

std::optional<TOptions> ParseArguments(const QStringList& args) {
    TOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool generate = options.command == QLatin1String("generate");
        bool ok = true;
        if (arg == QLatin1String("--root")) {
            ok = TakeValue(args, i, options.root);
        } else if (generate && arg == QLatin1String("--project")) {
            QString project;
            ok = TakeValue(args, i, project);
            options.project = project;
        } else if (generate && arg == QLatin1String("--project-id")) {
            QString id;
            ok = TakeValue(args, i, id);
            options.projectId = id.toLongLong(&ok);
        } else if (generate && arg == QLatin1String("--package")) {
            ok = TakeValue(args, i, options.package);
        } else if (options.command.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            options.command = arg;
        } else {
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    const QStringList commands{"list", "generate", "sample"};
    if (!commands.contains(options.command))
        return std::nullopt;
    // generate names its project either way, not both
    if (options.command == QLatin1String("generate") &&
        options.project.has_value() == options.projectId.has_value())
        return std::nullopt;
    return options;
}

// Prints the run's report; the exit code follows what happened.
class TConsoleListener : public TGenerationListener {
public:
    int ExitCode() const { return exitCode_; }

    void OnProgress(const QString& line) override { Print(stdout, line); }
    void OnPrimaryKeyError(qint64 classId) override {
        CheckFailed(PrimaryKeyErrorText(Printable(TClassDAO().GetClassName(classId))));
    }
    void OnDisplayMemberError(qint64 classId) override {
        CheckFailed(DisplayMemberErrorText(Printable(TClassDAO().GetClassName(classId))));
    }
    void OnModelError(const QString& message) override { CheckFailed(message); }
    void OnFinished() override { Print(stdout, QStringLiteral("所有代码生成完毕!")); }
    void OnError(const QString& message) override {
        Print(stderr, message);
        exitCode_ = kFailed;
    }

private:
    void CheckFailed(const QString& text) {
        Print(stderr, text);
        exitCode_ = kCheckFailed;
    }

    int exitCode_ = kOk;
};

int ListProjects() {
    TClassDAO classes;
    for (const TProjectEntry& project : TProjectDAO().ListProjects()) {
        Print(stdout, QString::number(project.projectId) + '\t' + Printable(project.projectName));
        for (const TClassEntry& entry : classes.ListClasses(project.projectId))
            Print(stdout, "    " + QString::number(entry.classId) + '\t' +
                              Printable(entry.className) + '\t' +
                              Printable(classes.GetFriendName(entry.classId)));
    }
    return kOk;
}

// The projects the options name: by key, or all of that name.
TProjectList NamedProjects(const TOptions& options) {
    TProjectDAO projects;
    if (!options.projectId)
        return projects.FindProjects(*options.project);
    const std::optional<TProjectEntry> project = projects.FindProject(*options.projectId);
    return project ? TProjectList{*project} : TProjectList{};
}

QString NotFoundText(const TOptions& options) {
    if (options.projectId)
        return "没有编号为" + QString::number(*options.projectId) + "的工程";
    return "没有名为\"" + Printable(*options.project) + "\"的工程";
}

QString AmbiguousText(const TProjectList& projects) {
    QStringList ids;
    for (const TProjectEntry& project : projects)
        ids << QString::number(project.projectId);
    return "有" + QString::number(projects.size()) + "个名为\"" +
           Printable(projects.first().projectName) + "\"的工程(编号 " + ids.join(", ") +
           "), 请用 --project-id 指定其中一个";
}

int RunGeneration(const QString& root, const TProjectEntry& project, const QString& package) {
    TGenerationSettings settings;
    settings.rootDir = root;
    settings.projectId = project.projectId;
    settings.projectName = project.projectName;
    settings.packageName = package;
    TConsoleListener listener;
    TAutoCode(settings, &listener).Execute();
    return listener.ExitCode();
}

int Generate(const QString& root, const TOptions& options) {
    const TProjectList projects = NamedProjects(options);
    if (projects.isEmpty()) {
        Print(stderr, NotFoundText(options));
        return kFailed;
    }
    if (projects.size() > 1) {
        Print(stderr, AmbiguousText(projects));
        return kBadArguments;
    }
    return RunGeneration(root, projects.first(), options.package);
}

int AddSample() {
    if (AddSampleProject())
        Print(stdout, "已添加示例工程: " + SampleProjectName());
    else
        Print(stdout, "示例工程已存在: " + SampleProjectName());
    return kOk;
}

int RunCommand(const QString& root, const TOptions& options) {
    if (options.command == QLatin1String("list"))
        return ListProjects();
    if (options.command == QLatin1String("sample"))
        return AddSample();
    return Generate(root, options);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<TOptions> options = ParseArguments(app.arguments().mid(1));
    if (!options) {
        std::fputs(kUsage, stderr);
        return kBadArguments;
    }
    const QString root = options->root.isEmpty() ? QCoreApplication::applicationDirPath()
                                                 : QDir(options->root).absolutePath();
    if (!QFileInfo(root).isDir()) {
        Print(stderr, "目录不存在: " + root);
        return kFailed;
    }
    // Only sample creates a missing database.
    TDbHelper::SetDatabaseFile(QDir(root).filePath(QStringLiteral("projects.db")),
                               options->command == QLatin1String("sample"));
    try {
        return RunCommand(root, *options);
    } catch (const TDbError& error) {
        Print(stderr, error.Message());
        return kFailed;
    } catch (const std::exception& error) {
        Print(stderr, QString::fromUtf8(error.what()));
        return kFailed;
    }
}
