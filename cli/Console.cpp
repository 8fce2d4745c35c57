#include "Console.h"

#include <cerrno>

int WriteAll(FILE* stream, const QByteArray& bytes) {
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (std::fflush(stream) != 0 || written != size_t(bytes.size()))
        return errno != 0 ? errno : EIO;
    return 0;
}

void Print(FILE* stream, const QString& line) {
    WriteAll(stream, (line + QLatin1Char('\n')).toUtf8());
}

bool TakeValue(const QStringList& args, qsizetype& i, QString& value, TEmptyValue empty) {
    if (i + 1 >= args.size() || (empty == TEmptyValue::Refused && args[i + 1].isEmpty()))
        return false;
    value = args[++i];
    return true;
}
