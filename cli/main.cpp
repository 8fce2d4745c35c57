// The headless command: lists projects, adds the sample project, and runs a generation.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <optional>

#include "AppPaths.h"
#include "AutoCode.h"
#include "ClassDAO.h"
#include "Console.h"
#include "DbHelper.h"
#include "Exchange.h"
#include "GenerationListener.h"
#include "ImportDb.h"
#include "ModelCheck.h"
#include "Printable.h"
#include "ProjectChoice.h"
#include "ProjectDAO.h"
#include "SampleModel.h"

namespace {

const char* const kUsage =
    "用法: brennoquill-cli [--root 目录] list\n"
    "      brennoquill-cli [--root 目录] generate --project 工程名称 [--package 包名] "
    "[--database mariadb|postgresql] [--admin-table 表名]\n"
    "      brennoquill-cli [--root 目录] generate --project-id 工程编号 [--package 包名] "
    "[--database mariadb|postgresql] [--admin-table 表名]\n"
    "      brennoquill-cli [--root 目录] sample\n"
    "      brennoquill-cli [--root 目录] export (--project 工程名称 | --project-id 工程编号) "
    "[--out 文件]\n"
    "      brennoquill-cli [--root 目录] import 文件 [--as 新的工程名称]\n"
    "      brennoquill-cli [--root 目录] import-mdb 文件.mdb\n"
    "      brennoquill-cli [--root 目录] import-db URL [--as 新的工程名称] [--tables 表名模式] "
    "[--strict]\n"
    "      brennoquill-cli [--root 目录] --help\n"
    "目录: projects.db、template、bak 和输出目录 projects 都在这个目录中。不给 --root 时,\n"
    "  在可写的程序目录中 (如 build/bin) 都在程序所在目录; 安装后 template 和 bak 在安装的\n"
    "  数据目录 (share/brennoquill), projects.db 和 projects 在用户数据目录\n"
    "  (~/.local/share/brennoquill); --help 列出本次运行的位置\n"
    "--database, --admin-table: 生成的应用使用的数据库 (mariadb 即 MariaDB/MySQL, 或 postgresql)\n"
    "  和管理员表的名称 (默认 Admin); 保存到工程中, 以后的生成和窗口都用它\n"
    "工程编号: list 列出的编号; 有多个同名工程时 --project 不生成, 列出它们的编号 (退出码 2)\n"
    "只有 sample、import、import-mdb 和 import-db 在没有 projects.db 时创建它; 其他命令报告没有\n"
    "  找到数据库 (退出码 1)\n"
    "URL: mysql://用户@主机:端口/数据库、postgresql://用户@主机:端口/数据库 或 sqlite:///文件;\n"
    "  密码取自环境变量 BRENNOQUILL_DB_PASSWORD, 没有时在终端上提示输入\n";

struct TOptions {
    QString root;
    QString command;
    bool help = false;
    std::optional<QString> project;
    std::optional<qint64> projectId;
    QString package = QStringLiteral("brennoquill");
    std::optional<TDatabaseKind> databaseKind; // generate: the project's new settings
    std::optional<QString> adminTable;
    QStringList exchangeArgs; // after export, import, import-mdb or import-db
};

// Takes the value after an option, even an empty one; false when there is none.
bool TakeValue(const QStringList& args, qsizetype& i, QString& value) {
    return ::TakeValue(args, i, value, TEmptyValue::Taken);
}

std::optional<TOptions> ParseArguments(const QStringList& args) {
    TOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool generate = options.command == QLatin1String("generate");
        bool ok = true;
        if (arg == QLatin1String("--root")) {
            ok = TakeValue(args, i, options.root);
        } else if (arg == QLatin1String("--help")) {
            options.help = true;
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
        } else if (generate && arg == QLatin1String("--database")) {
            QString kind;
            ok = TakeValue(args, i, kind) && !kind.isEmpty();
            options.databaseKind = DatabaseKinds::FromName(kind);
            ok = ok && options.databaseKind.has_value();
        } else if (generate && arg == QLatin1String("--admin-table")) {
            QString table;
            ok = TakeValue(args, i, table) && !table.isEmpty();
            options.adminTable = table;
        } else if (ExchangeCommand::IsExchangeCommand(options.command) ||
                   ImportDbCommand::IsImportDbCommand(options.command)) {
            options.exchangeArgs << arg;
        } else if (options.command.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            options.command = arg;
        } else {
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    if (options.help)
        return options;
    const QStringList commands{"list", "generate", "sample"};
    const bool importDb = ImportDbCommand::IsImportDbCommand(options.command);
    if (!commands.contains(options.command) &&
        !ExchangeCommand::ArgumentsValid(options.command, options.exchangeArgs) &&
        !(importDb && ImportDbCommand::ArgumentsValid(options.exchangeArgs)))
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

    void OnPlanned(int) override {}
    void OnProgress(const QString& line) override { Print(stdout, line); }
    void OnRefused(const TRefusal& refusal) override {
        Print(stderr, refusal.message);
        exitCode_ = kCheckFailed;
    }
    void OnFinished() override { Print(stdout, QStringLiteral("所有代码生成完毕!")); }
    void OnError(const QString& message) override {
        Print(stderr, message);
        exitCode_ = kFailed;
    }

private:
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
    return ProjectNotFoundText(options.projectId, options.project);
}

int RunGeneration(const TAppPaths& paths, const TProjectEntry& project, const QString& package) {
    TGenerationSettings settings;
    settings.rootDir = paths.dataDir;
    settings.resourceDir = paths.resourceDir;
    settings.projectId = project.projectId;
    settings.projectName = project.projectName;
    settings.packageName = package;
    TConsoleListener listener;
    TAutoCode(settings, &listener).Execute();
    return listener.ExitCode();
}

// Keeps the database kind and Admin table the options give in the project; false (after
// saying why) for an Admin table name no database takes.
bool StoreDatabase(qint64 projectId, const TOptions& options) {
    if (!options.databaseKind && !options.adminTable)
        return true;
    if (options.adminTable)
        if (const std::optional<QString> error =
                ModelCheck::DatabaseNameError(QStringLiteral("管理员表名"), *options.adminTable)) {
            Print(stderr, *error);
            return false;
        }
    TProjectDAO projects;
    TProjectDatabase database = projects.ReadDatabase(projectId);
    database.kind = options.databaseKind.value_or(database.kind);
    database.adminTable = options.adminTable.value_or(database.adminTable);
    projects.SetDatabase(projectId, database);
    return true;
}

int Generate(const TAppPaths& paths, const TOptions& options) {
    const TProjectList projects = NamedProjects(options);
    if (projects.isEmpty()) {
        Print(stderr, NotFoundText(options));
        return kFailed;
    }
    if (projects.size() > 1) {
        Print(stderr, AmbiguousProjectText(projects));
        return kBadArguments;
    }
    if (!StoreDatabase(projects.first().projectId, options))
        return kBadArguments;
    return RunGeneration(paths, projects.first(), options.package);
}

int AddSample() {
    if (AddSampleProject())
        Print(stdout, "已添加示例工程: " + SampleProjectName());
    else
        Print(stdout, "示例工程已存在: " + SampleProjectName());
    return kOk;
}

int RunCommand(const TAppPaths& paths, const TOptions& options) {
    if (options.command == QLatin1String("list"))
        return ListProjects();
    if (options.command == QLatin1String("sample"))
        return AddSample();
    if (ExchangeCommand::IsExchangeCommand(options.command))
        return ExchangeCommand::Run(options.command, options.exchangeArgs);
    if (ImportDbCommand::IsImportDbCommand(options.command))
        return ImportDbCommand::Run(options.exchangeArgs);
    return Generate(paths, options);
}

TAppPaths ResolvePaths(const TOptions& options) {
    if (options.root.isEmpty())
        return AppPaths::ForExecutable(QCoreApplication::applicationDirPath());
    return AppPaths::ForRoot(QDir(options.root).absolutePath());
}

int PrintHelp(const TAppPaths& paths) {
    std::fputs(kUsage, stdout);
    Print(stdout, QStringLiteral("本次运行:"));
    Print(stdout, "  数据库: " + paths.DatabaseFile());
    Print(stdout, "  模板: " + paths.TemplateDir());
    Print(stdout, "  资源: " + QDir(paths.resourceDir).filePath(QStringLiteral("bak")));
    Print(stdout, "  输出: " + paths.OutputDir());
    return kOk;
}

// Only a command that adds to the model creates a missing database.
bool CreatesDatabase(const TOptions& options) {
    return options.command == QLatin1String("sample") ||
           ExchangeCommand::CreatesDatabase(options.command) ||
           ImportDbCommand::IsImportDbCommand(options.command);
}

// Points the store at the database; false (after saying why) when its folder is missing.
bool OpenDatabase(const TOptions& options, const TAppPaths& paths) {
    if (!options.root.isEmpty() && !QFileInfo(paths.dataDir).isDir()) {
        Print(stderr, "目录不存在: " + paths.dataDir);
        return false;
    }
    const bool create = CreatesDatabase(options);
    if (create && !AppPaths::MakeDataDir(paths)) {
        Print(stderr, "无法创建数据目录: " + paths.dataDir);
        return false;
    }
    TDbHelper::SetDatabaseFile(paths.DatabaseFile(), create);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(AppPaths::kApplicationName);
    const std::optional<TOptions> options = ParseArguments(app.arguments().mid(1));
    if (!options) {
        std::fputs(kUsage, stderr);
        return kBadArguments;
    }
    const TAppPaths paths = ResolvePaths(*options);
    if (options->help)
        return PrintHelp(paths);
    if (!OpenDatabase(*options, paths))
        return kFailed;
    try {
        return RunCommand(paths, *options);
    } catch (const TDbError& error) {
        Print(stderr, error.Message());
        return kFailed;
    } catch (const std::exception& error) {
        Print(stderr, QString::fromUtf8(error.what()));
        return kFailed;
    }
}
