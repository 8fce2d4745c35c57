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
#include "ProjectDAO.h"
#include "SampleModel.h"

namespace {

enum TExitCode { kOk = 0, kFailed = 1, kBadArguments = 2, kCheckFailed = 3 };

const char* const kUsage =
    "用法: brennoquill-cli [--root 目录] list\n"
    "      brennoquill-cli [--root 目录] generate --project 工程名称 [--package 包名]\n"
    "      brennoquill-cli [--root 目录] sample\n"
    "目录: 程序目录, 含 projects.db、template、bak 和输出目录 projects (默认为程序所在目录)\n";

struct TOptions {
    QString root;
    QString command;
    std::optional<QString> project;
    QString package = QStringLiteral("brennoquill");
};

void Print(FILE* stream, const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stream);
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
    if (options.command == QLatin1String("generate") && !options.project)
        return std::nullopt;
    return options;
}

// Prints the run's report; the exit code follows what happened.
class TConsoleListener : public TGenerationListener {
public:
    int ExitCode() const { return exitCode_; }

    void OnProgress(const QString& line) override { Print(stdout, line); }
    void OnPrimaryKeyError(int classId) override {
        CheckFailed(PrimaryKeyErrorText(TClassDAO().GetClassName(classId)));
    }
    void OnDisplayMemberError(int classId) override {
        CheckFailed(DisplayMemberErrorText(TClassDAO().GetClassName(classId)));
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
        Print(stdout, QString::number(project.projectId) + '\t' + project.projectName);
        for (const TClassEntry& entry : classes.ListClasses(project.projectId))
            Print(stdout, "    " + QString::number(entry.classId) + '\t' + entry.className + '\t' +
                              classes.GetFriendName(entry.classId));
    }
    return kOk;
}

int Generate(const QString& root, const TOptions& options) {
    for (const TProjectEntry& project : TProjectDAO().ListProjects()) {
        if (project.projectName != *options.project)
            continue;
        TConsoleListener listener;
        TAutoCode run({root, project.projectId, project.projectName, options.package}, &listener);
        run.Execute();
        return listener.ExitCode();
    }
    Print(stderr, "没有名为\"" + *options.project + "\"的工程");
    return kFailed;
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
    TDbHelper::SetDatabaseFile(QDir(root).filePath(QStringLiteral("projects.db")));
    try {
        return RunCommand(root, *options);
    } catch (const std::exception& error) {
        Print(stderr, QString::fromUtf8(error.what()));
        return kFailed;
    }
}
