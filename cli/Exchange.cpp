#include "Exchange.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "Console.h"
#include "MdbImport.h"
#include "ModelExchange.h"
#include "Printable.h"
#include "ProjectChoice.h"
#include "ProjectDAO.h"

namespace {

// The arguments of one exchange command; file is the one positional argument.
struct TExchangeArgs {
    std::optional<QString> project;
    std::optional<qint64> projectId;
    QString out;
    QString file;
    QString newName;
};

bool TakeValue(const QStringList& args, qsizetype& i, QString& value) {
    return ::TakeValue(args, i, value, TEmptyValue::Refused);
}

// The option at i of an export or import command; false when it is unknown or incomplete.
bool TakeOption(const QString& command, const QStringList& args, qsizetype& i,
                TExchangeArgs& result) {
    const QString& arg = args[i];
    QString value;
    const bool isExport = command == QLatin1String("export");
    if (isExport && arg == QLatin1String("--project") && TakeValue(args, i, value)) {
        result.project = value;
    } else if (isExport && arg == QLatin1String("--project-id") && TakeValue(args, i, value)) {
        bool ok = false;
        result.projectId = value.toLongLong(&ok);
        return ok;
    } else if (isExport && arg == QLatin1String("--out")) {
        return TakeValue(args, i, result.out);
    } else if (command == QLatin1String("import") && arg == QLatin1String("--as")) {
        return TakeValue(args, i, result.newName);
    } else {
        return false;
    }
    return true;
}

std::optional<TExchangeArgs> Parse(const QString& command, const QStringList& args) {
    TExchangeArgs result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool positional = !args[i].startsWith(QLatin1Char('-'));
        if (positional && command != QLatin1String("export") && result.file.isEmpty())
            result.file = args[i];
        else if (positional || !TakeOption(command, args, i, result))
            return std::nullopt;
    }
    if (command == QLatin1String("export")) {
        if (result.project.has_value() == result.projectId.has_value())
            return std::nullopt;
    } else if (result.file.isEmpty()) {
        return std::nullopt;
    }
    return result;
}

// The project the export names; nothing after printing why, with the exit code set.
std::optional<TProjectEntry> ExportedProject(const TExchangeArgs& args, int& exitCode) {
    TProjectDAO projects;
    exitCode = kFailed;
    if (args.projectId) {
        const std::optional<TProjectEntry> project = projects.FindProject(*args.projectId);
        if (!project)
            Print(stderr, ProjectNotFoundText(args.projectId, std::nullopt));
        return project;
    }
    const TProjectList found = projects.FindProjects(*args.project);
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty()) {
        Print(stderr, ProjectNotFoundText(std::nullopt, args.project));
    } else {
        Print(stderr, AmbiguousProjectText(found));
        exitCode = kBadArguments;
    }
    return std::nullopt;
}

int Export(const TExchangeArgs& args) {
    int exitCode = kFailed;
    const std::optional<TProjectEntry> project = ExportedProject(args, exitCode);
    if (!project)
        return exitCode;
    const QByteArray json = ModelExchange::ExportProject(project->projectId);
    if (args.out.isEmpty()) {
        if (const int error = WriteAll(stdout, json); error != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(error));
            Print(stderr, "无法写入标准输出 (" + reason + ")");
            return kFailed;
        }
        return kOk;
    }
    try {
        ModelExchange::WriteModelFile(args.out, json);
    } catch (const TExchangeError& error) {
        Print(stderr, error.Message());
        return kFailed;
    }
    Print(stdout, "已导出工程" + Printable(project->projectName) + ": " + args.out);
    return kOk;
}

int PrintImported(const QStringList& names) {
    for (const QString& name : names)
        Print(stdout, "已导入工程: " + Printable(name));
    return kOk;
}

int Import(const TExchangeArgs& args) {
    try {
        const QByteArray json = ModelExchange::ReadModelFile(args.file);
        return PrintImported(ModelExchange::ImportProjects(json, args.newName));
    } catch (const TNameTakenError& error) {
        Print(stderr, error.Message() + "\n可用 --as 新名称 以另一个名称导入");
    } catch (const TExchangeError& error) {
        Print(stderr, error.Message());
    }
    return kFailed;
}

int ImportMdb(const TExchangeArgs& args) {
    try {
        return PrintImported(MdbImport::ImportMdb(args.file));
    } catch (const TExchangeError& error) {
        Print(stderr, error.Message());
    }
    return kFailed;
}

} // namespace

namespace ExchangeCommand {

bool IsExchangeCommand(const QString& command) {
    return command == QLatin1String("export") || command == QLatin1String("import") ||
           command == QLatin1String("import-mdb");
}

bool ArgumentsValid(const QString& command, const QStringList& args) {
    return IsExchangeCommand(command) && Parse(command, args).has_value();
}

bool CreatesDatabase(const QString& command) {
    return command == QLatin1String("import") || command == QLatin1String("import-mdb");
}

int Run(const QString& command, const QStringList& args) {
    const std::optional<TExchangeArgs> parsed = Parse(command, args);
    if (!parsed)
        return kBadArguments;
    if (command == QLatin1String("export"))
        return Export(*parsed);
    if (command == QLatin1String("import"))
        return Import(*parsed);
    return ImportMdb(*parsed);
}

} // namespace ExchangeCommand
