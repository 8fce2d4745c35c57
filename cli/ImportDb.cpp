#include "ImportDb.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "Console.h"
#include "DbImport.h"
#include "ExchangeError.h"
#include "Printable.h"

namespace {

struct TImportDbArgs {
    QString url;
    QString newName;
    QString tables;
    bool strict = false;
};

bool TakeValue(const QStringList& args, qsizetype& i, QString& value) {
    return ::TakeValue(args, i, value, TEmptyValue::Refused);
}

std::optional<TImportDbArgs> Parse(const QStringList& args) {
    TImportDbArgs result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        bool ok = true;
        if (arg == QLatin1String("--as"))
            ok = TakeValue(args, i, result.newName);
        else if (arg == QLatin1String("--tables"))
            ok = TakeValue(args, i, result.tables);
        else if (arg == QLatin1String("--strict"))
            result.strict = true;
        else if (!arg.startsWith(QLatin1Char('-')) && result.url.isEmpty())
            result.url = arg;
        else
            ok = false;
        if (!ok)
            return std::nullopt;
    }
    if (result.url.isEmpty())
        return std::nullopt;
    return result;
}

// Echo off while the password is typed; restored however the read ends.
class TEchoOff {
public:
    TEchoOff() : ok_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
        if (!ok_)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~TEchoOff() {
        if (ok_)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    TEchoOff(const TEchoOff&) = delete;
    TEchoOff& operator=(const TEchoOff&) = delete;

private:
    termios saved_{};
    bool ok_;
};

// From the environment, else asked on the terminal; empty without either.
QString Password() {
    if (qEnvironmentVariableIsSet(SchemaReader::kPasswordVariable))
        return qEnvironmentVariable(SchemaReader::kPasswordVariable);
    if (!isatty(STDIN_FILENO))
        return QString();
    std::fputs("数据库密码: ", stderr);
    std::fflush(stderr);
    std::string line;
    {
        const TEchoOff echoOff;
        std::getline(std::cin, line);
    }
    std::fputs("\n", stderr);
    return QString::fromStdString(line);
}

int Import(const TImportDbArgs& args, const TDbSource& source) {
    TDbImportRequest request{source, args.tables, args.newName, args.strict};
    try {
        const TDbImportResult result = DbImport::Import(request);
        for (const QString& line : result.report + result.notices)
            Print(stdout, line);
        Print(stdout, "已导入工程: " + Printable(result.projectName) + " (" +
                          QString::number(result.classCount) + "个类)");
        return kOk;
    } catch (const TNameTakenError& error) {
        Print(stderr, error.Message() + "\n可用 --as 新名称 以另一个名称导入");
    } catch (const TExchangeError& error) {
        Print(stderr, error.Message());
    }
    return kFailed;
}

} // namespace

namespace ImportDbCommand {

bool IsImportDbCommand(const QString& command) {
    return command == QLatin1String("import-db");
}

bool ArgumentsValid(const QStringList& args) {
    return Parse(args).has_value();
}

int Run(const QStringList& args) {
    const std::optional<TImportDbArgs> parsed = Parse(args);
    if (!parsed)
        return kBadArguments;
    TDbSource source;
    QString error;
    if (!SchemaReader::ParseUrl(parsed->url, source, error)) {
        Print(stderr, error);
        return kBadArguments;
    }
    if (source.kind != TDbKind::Sqlite)
        source.password = Password();
    return Import(*parsed, source);
}

} // namespace ImportDbCommand
