#include "MdbImport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include "CodeText.h"
#include "ImportModel.h"
#include "Printable.h"

using CodeText::Quoted;

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
        if (output.out.size() + piece.size() > kMaxImportBytes) {
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
                             QString::number(kMaxImportBytes / (1024 * 1024)) +
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

namespace {

[[noreturn]] void Refuse(const QString& place, const QString& text) {
    throw TExchangeError(place + ": " + text);
}

// A table of the Access file, read by column name (Access names ignore case).
class TMdbReader {
public:
    TMdbReader(const QString& mdbFile, const QString& table)
        : table_(table), data_(ReadTable(mdbFile, table)) {}

    const QString& Table() const { return table_; }
    qsizetype Count() const { return data_.rows.size(); }
    QString Text(qsizetype row, const QString& column) const { return Cell(row, column); }
    // A missing value reads as 0, as the store reads it.
    qint64 Integer(qsizetype row, const QString& column, const QString& place) const {
        const QString text = Cell(row, column);
        bool ok = true;
        const qint64 value = text.isEmpty() ? 0 : text.toLongLong(&ok);
        if (!ok)
            Refuse(place + QLatin1Char('.') + column, "应为整数: " + Quoted(Printable(text)));
        return value;
    }

private:
    QString Cell(qsizetype row, const QString& column) const {
        const QStringList& cells = data_.rows[row];
        const qsizetype index = ColumnIndex(column);
        if (index >= cells.size())
            Refuse(table_, "第" + QString::number(row + 1) + "行的列数不对");
        return cells[index];
    }
    qsizetype ColumnIndex(const QString& column) const {
        for (qsizetype i = 0; i < data_.columns.size(); ++i)
            if (data_.columns[i].compare(column, Qt::CaseInsensitive) == 0)
                return i;
        Refuse(table_, "缺少列" + column);
    }

    QString table_;
    TMdbTable data_;
};

struct TMdbRow {
    qint64 id;
    qsizetype index;
    QString place;
};

// The rows in the order of their ids, which must be present and distinct.
QList<TMdbRow> RowsById(const TMdbReader& reader, const QString& idColumn) {
    QList<TMdbRow> rows;
    for (qsizetype i = 0; i < reader.Count(); ++i) {
        const QString place = reader.Table() + "第" + QString::number(i + 1) + "行";
        if (reader.Text(i, idColumn).isEmpty())
            Refuse(place + QLatin1Char('.') + idColumn, QStringLiteral("缺少编号"));
        const qint64 id = reader.Integer(i, idColumn, place);
        rows.append({id, i, reader.Table() + "[" + idColumn + "=" + QString::number(id) + "]"});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TMdbRow& a, const TMdbRow& b) { return a.id < b.id; });
    for (qsizetype i = 1; i < rows.size(); ++i)
        if (rows[i].id == rows[i - 1].id)
            Refuse(rows[i].place, "有两行的" + idColumn + "都是" + QString::number(rows[i].id));
    return rows;
}

TMember ReadMdbMember(const TMdbReader& members, const TMdbRow& row) {
    TMember m;
    m.memberName = members.Text(row.index, "memberName");
    m.memberType = members.Text(row.index, "memberType");
    m.memberLength = members.Integer(row.index, "memberLength", row.place);
    m.memberComment = members.Text(row.index, "memberComment");
    for (const TMemberFlag& flag : kMemberFlags)
        m.*flag.field = members.Integer(row.index, flag.name, row.place) == 1 ? 1 : 0;
    return m;
}

// Classes whose project the file does not hold and members whose class it does not hold are
// left out: the earlier version kept the members of a deleted project.
TImportModel ReadMdbModel(const QString& mdbFile) {
    const TMdbReader projects(mdbFile, "t_project");
    const TMdbReader classes(mdbFile, "t_class");
    const TMdbReader members(mdbFile, "t_member");
    TImportModel model;
    QHash<qint64, qsizetype> projectIndex;
    for (const TMdbRow& row : RowsById(projects, "projectId")) {
        projectIndex.insert(row.id, model.size());
        model.append({projects.Text(row.index, "projectName"), row.place + ".projectName", {}, {}});
    }
    if (model.isEmpty())
        Refuse("t_project", QStringLiteral("数据库中没有工程"));
    QHash<qint64, std::pair<qsizetype, qsizetype>> classIndex;
    for (const TMdbRow& row : RowsById(classes, "classId")) {
        const auto owner =
            projectIndex.constFind(classes.Integer(row.index, "projectId", row.place));
        if (owner == projectIndex.constEnd())
            continue;
        QList<TImportClass>& list = model[*owner].classes;
        classIndex.insert(row.id, {*owner, list.size()});
        list.append({classes.Text(row.index, "className"),
                     classes.Text(row.index, "friendName"),
                     row.place,
                     {},
                     {}});
    }
    for (const TMdbRow& row : RowsById(members, "memberId")) {
        const auto owner = classIndex.constFind(members.Integer(row.index, "classId", row.place));
        if (owner != classIndex.constEnd())
            model[owner->first].classes[owner->second].members.append(
                {ReadMdbMember(members, row), row.place});
    }
    return model;
}

} // namespace

TImportModel ReadModel(const QString& mdbFile) {
    if (!QFileInfo(mdbFile).isFile())
        throw TExchangeError("没有找到文件: " + mdbFile);
    return ReadMdbModel(mdbFile);
}

QStringList ImportMdb(const QString& mdbFile) {
    return ImportModel(ReadModel(mdbFile));
}

} // namespace MdbImport
