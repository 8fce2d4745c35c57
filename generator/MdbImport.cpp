#include "MdbImport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include "ModelExchange.h"

namespace {

const int kTimeoutMs = 300000;

// The process's environment without the variable that would make mdb-export write another
// encoding than UTF-8.
QProcessEnvironment ExportEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("MDBICONV"));
    return environment;
}

// mdb-export says nothing on some files that are no Access database.
QString ErrorOutput(QProcess& process) {
    const QString text = QString::fromUtf8(process.readAllStandardError()).simplified();
    if (!text.isEmpty())
        return text;
    return "mdb-export的退出码为" + QString::number(process.exitCode());
}

QByteArray RunExport(const QString& mdbFile, const QString& table) {
    QProcess process;
    process.setProcessEnvironment(ExportEnvironment());
    // An absolute path never reads as an option.
    process.start(QStringLiteral("mdb-export"), {QFileInfo(mdbFile).absoluteFilePath(), table});
    if (!process.waitForStarted())
        throw TExchangeError("无法运行mdb-export, 请安装mdbtools: " + process.errorString());
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        throw TExchangeError("读取表" + table + "超时: " + mdbFile);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw TExchangeError("无法读取Access数据库" + mdbFile + "中的表" + table + ": " +
                             ErrorOutput(process));
    return process.readAllStandardOutput();
}

// Appends the character at i of a quoted field, or ends the field; false at a lone quote.
bool TakeQuoted(const QString& text, qsizetype& i, QString& field, bool& quoted) {
    if (text[i] != QLatin1Char('"')) {
        field += text[i];
        return true;
    }
    if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
        field += QLatin1Char('"');
        ++i;
        return true;
    }
    quoted = false;
    return i + 1 == text.size() || text[i + 1] == QLatin1Char(',') ||
           text[i + 1] == QLatin1Char('\n');
}

} // namespace

namespace MdbImport {

bool ParseCsv(const QString& text, QList<QStringList>& rows) {
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (!TakeQuoted(text, i, field, quoted))
                return false;
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',') || c == QLatin1Char('\n')) {
            row << field;
            field.clear();
            if (c == QLatin1Char('\n')) {
                rows << row;
                row.clear();
            }
        } else {
            field += c;
        }
    }
    if (quoted)
        return false;
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return true;
}

TMdbTable ReadTable(const QString& mdbFile, const QString& table) {
    const QByteArray bytes = RunExport(mdbFile, table);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    QList<QStringList> rows;
    if (decoder.hasError() || !ParseCsv(text, rows) || rows.isEmpty())
        throw TExchangeError("无法读取Access数据库" + mdbFile + "中的表" + table +
                             ": mdb-export的输出不是UTF-8编码的CSV");
    TMdbTable result;
    result.columns = rows.takeFirst();
    result.rows = rows;
    return result;
}

} // namespace MdbImport
