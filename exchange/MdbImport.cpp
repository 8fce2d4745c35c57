#include "MdbImport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include "ModelExchange.h"

namespace {

const int kTimeoutMs = 300000;

// What mdb-export has printed so far: its output up to the limit, and the start of its
// error output.
struct TExportOutput {
    QByteArray out;
    QByteArray err;
    bool tooLarge = false;
};

const qsizetype kErrorBytesKept = 4096;

// The process's environment without the variables that would make mdb-export write another
// encoding than UTF-8 (MDBICONV) or debugging lines among its output (MDBOPTS).
QProcessEnvironment ExportEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("MDBICONV"));
    environment.remove(QStringLiteral("MDBOPTS"));
    return environment;
}

// mdb-export says nothing on some files that are no Access database.
QString ErrorOutput(const QProcess& process, const TExportOutput& output) {
    const QString text = QString::fromUtf8(output.err).simplified();
    if (!text.isEmpty())
        return text;
    return "mdb-export的退出码为" + QString::number(process.exitCode());
}

// QProcess reads its pipes inside the waiting calls and signals each piece it has read; taking
// every piece away at once keeps its buffers small, and output beyond the limit stops the
// process.
void Collect(QProcess& process, TExportOutput& output) {
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&process, &output] {
        const QByteArray piece = process.readAllStandardOutput();
        if (output.tooLarge)
            return;
        if (output.out.size() + piece.size() > ModelExchange::kMaxFileBytes) {
            output.tooLarge = true;
            output.out.clear();
            process.kill();
            return;
        }
        output.out += piece;
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, [&process, &output] {
        const QByteArray piece = process.readAllStandardError();
        output.err += piece.left(kErrorBytesKept - output.err.size());
    });
}

QByteArray RunExport(const QString& mdbFile, const QString& table) {
    QProcess process;
    TExportOutput output;
    Collect(process, output);
    process.setProcessEnvironment(ExportEnvironment());
    // An absolute path never reads as an option.
    process.start(QStringLiteral("mdb-export"), {QFileInfo(mdbFile).absoluteFilePath(), table});
    if (!process.waitForStarted())
        throw TExchangeError("无法运行mdb-export, 请安装mdbtools: " + process.errorString());
    const QString what = "无法读取Access数据库" + mdbFile + "中的表" + table + ": ";
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (!output.tooLarge)
            throw TExchangeError("读取表" + table + "超时: " + mdbFile);
    }
    if (output.tooLarge)
        throw TExchangeError(what + "mdb-export的输出大于" +
                             QString::number(ModelExchange::kMaxFileBytes / (1024 * 1024)) +
                             " MiB");
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw TExchangeError(what + ErrorOutput(process, output));
    return output.out;
}

bool IsCrLf(const QString& text, qsizetype i) {
    return text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
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
           text[i + 1] == QLatin1Char('\n') || IsCrLf(text, i + 1);
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
        } else if (IsCrLf(text, i)) {
            continue; // the line feed ends the row
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
