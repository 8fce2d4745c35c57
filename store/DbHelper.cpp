#include "DbHelper.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <mutex>

#include "AppPaths.h"

namespace {

std::mutex g_fileMutex;
QString g_file;
bool g_createMissing = true;
std::atomic<int> g_connectionCounter{0};

const char* const kSchema[] = {
    "create table if not exists t_project(projectId integer primary key autoincrement, "
    "projectName text)",
    "create table if not exists t_class(classId integer primary key autoincrement, "
    "projectId integer, className text, friendName text, tableName text default '')",
    "create table if not exists t_member(memberId integer primary key autoincrement, "
    "projectId integer, classId integer, memberName text, memberType text, "
    "memberLength integer, memberIsPri integer, memberComment text, memberIsMust integer, "
    "memberIsInteger integer, memberIsFloat integer, queryFlag integer, "
    "memberIsDisplay integer, memberQueryDisplay integer, columnName text default '')",
    // The look-ups of classes by project and name and of members by class; also added to
    // databases made without them. With the first alone, the model's read (classes joined
    // with their members) would scan t_member once per class.
    "create index if not exists t_class_project_name on t_class(projectId, className)",
    "create index if not exists t_member_class on t_member(classId)",
};

// Columns added after the first version, added to an older database when it is opened.
struct TAddedColumn {
    const char* table;
    const char* column;
};
const TAddedColumn kAddedColumns[] = {{"t_class", "tableName"},
                                      {"t_member", "columnName"},
                                      {"t_project", "databaseKind"},
                                      {"t_project", "adminTable"}};

// The calling thread's connection name and the file it is open on. A worker thread's
// connection is closed and removed when the thread ends; the main thread's lives on.
struct ThreadConnection {
    QString name;
    QString file;

    ~ThreadConnection() {
        auto* app = QCoreApplication::instance();
        if (name.isEmpty() || app == nullptr || app->thread() == QThread::currentThread())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
};

thread_local ThreadConnection t_connection;

QString ErrorText(const QSqlError& error) {
    QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

// Text values are never stored as missing values.
QVariant Bindable(const QVariant& value) {
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QString(QLatin1String(""));
    return value;
}

bool IsReadOnlyError(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xFF) == 8; // SQLITE_READONLY and its extended codes
}

// Raises the error of a statement. For a statement that writes, writtenFile names the
// database in the message shown when it is read-only.
[[noreturn]] void Raise(const QSqlError& error, const QString& writtenFile) {
    if (!writtenFile.isEmpty() && IsReadOnlyError(error))
        throw TDbError(QStringLiteral("数据库是只读的, 无法保存修改: ") + writtenFile);
    throw TDbError(ErrorText(error));
}

QSqlQuery Run(const QSqlDatabase& db, const QString& sql, const QVariantList& params,
              const QString& writtenFile = QString()) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Raise(query.lastError(), writtenFile);
    for (const QVariant& value : params)
        query.addBindValue(Bindable(value));
    if (!query.exec())
        Raise(query.lastError(), writtenFile);
    return query;
}

bool HasColumn(const QSqlDatabase& db, const QString& table, const QString& column) {
    QSqlQuery query = Run(db, "select count(*) from pragma_table_info(?) where name=?",
                          {table, column});
    const bool found = query.next() && query.value(0).toLongLong() > 0;
    query.finish();
    return found;
}

// How a file is opened: created when missing, read and written, read-only with SQLite's
// locking, or read-only as a file nobody writes (nothing is created beside it).
enum class TAccess { Create, ReadWrite, ReadOnly, Immutable };

TAccess AccessFor(const QString& file, bool createMissing) {
    const QFileInfo info(file);
    if (!info.exists()) {
        if (!createMissing)
            throw TDbError(QStringLiteral("没有找到数据库: ") + file);
        return TAccess::Create;
    }
    // Journals and the WAL index are files in the same folder.
    if (AppPaths::MayWrite(file) && AppPaths::MayWrite(info.absolutePath()))
        return TAccess::ReadWrite;
    // Without a journal or WAL file beside it nobody is writing the file; reading it as
    // immutable creates no WAL index there.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (QFileInfo::exists(file + QLatin1String(suffix)))
            return TAccess::ReadOnly;
    return TAccess::Immutable;
}

QString Uri(const QString& file, TAccess access) {
    static const char* const kModes[] = {"mode=rwc", "mode=rw", "mode=ro", "mode=ro&immutable=1"};
    const QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    return url.toString(QUrl::FullyEncoded) + QLatin1Char('?') + QLatin1String(kModes[int(access)]);
}

// Flags added after the first version: integers, 0 in the rows of an older database.
const TAddedColumn kAddedFlags[] = {{"t_member", "keyAssigned"}, {"t_member", "memberScale"}};

void AddFlagColumns(const QSqlDatabase& db) {
    for (const TAddedColumn& added : kAddedFlags)
        if (!HasColumn(db, added.table, added.column))
            Run(db,
                QStringLiteral("alter table %1 add column %2 integer default 0")
                    .arg(QLatin1String(added.table), QLatin1String(added.column)),
                {});
}

// A read-only file is left as it is: no journal mode, no tables.
void Prepare(const QSqlDatabase& db, TAccess access) {
    Run(db, "pragma busy_timeout=10000", {});
    if (access == TAccess::ReadOnly || access == TAccess::Immutable)
        return;
    Run(db, "pragma journal_mode=WAL", {});
    Run(db, "pragma synchronous=NORMAL", {});
    for (const char* statement : kSchema)
        Run(db, statement, {});
    for (const TAddedColumn& added : kAddedColumns)
        if (!HasColumn(db, added.table, added.column))
            Run(db,
                QStringLiteral("alter table %1 add column %2 text default ''")
                    .arg(QLatin1String(added.table), QLatin1String(added.column)),
                {});
    AddFlagColumns(db);
}

// The file set last, or the executable's folder's; the caller holds g_fileMutex.
QString CurrentFile() {
    if (g_file.isEmpty() && QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath() + QStringLiteral("/projects.db");
    return g_file;
}

QVariant FirstValue(QSqlQuery& query, const QVariant& none) {
    QVariant result = query.next() ? query.value(0) : none;
    query.finish();
    return result;
}

} // namespace

TDbError::TDbError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

TResultSet::TResultSet(QStringList columns, std::vector<QVariantList> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {}

void TResultSet::Next() {
    if (row_ < rows_.size())
        ++row_;
}

const QVariant& TResultSet::Value(const QString& column) const {
    if (Eof())
        throw TDbError(QStringLiteral("No current row to read column %1").arg(column));
    int index = columns_.indexOf(column, 0);
    if (index < 0) {
        for (int i = 0; i < columns_.size() && index < 0; ++i)
            if (columns_[i].compare(column, Qt::CaseInsensitive) == 0)
                index = i;
    }
    if (index < 0)
        throw TDbError(QStringLiteral("No column named %1").arg(column));
    return rows_[row_][index];
}

QString TResultSet::AsText(const QString& column) const {
    const QVariant& value = Value(column);
    return value.isNull() ? QString(QLatin1String("")) : value.toString();
}

bool TResultSet::HasColumn(const QString& column) const {
    for (const QString& name : columns_)
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

qint64 TResultSet::AsInteger(const QString& column) const {
    return Value(column).toLongLong();
}

TDbHelper::TDbHelper() {
    std::lock_guard<std::mutex> lock(g_fileMutex);
    file_ = CurrentFile();
    createMissing_ = g_createMissing;
}

void TDbHelper::SetDatabaseFile(const QString& path, bool createMissing) {
    std::lock_guard<std::mutex> lock(g_fileMutex);
    g_file = path;
    g_createMissing = createMissing;
}

QString TDbHelper::DatabaseFile() {
    std::lock_guard<std::mutex> lock(g_fileMutex);
    return CurrentFile();
}

QSqlDatabase TDbHelper::GetConnection() {
    ThreadConnection& connection = t_connection;
    if (connection.name.isEmpty())
        connection.name = QStringLiteral("brennoquill-%1").arg(++g_connectionCounter);
    QSqlDatabase db = QSqlDatabase::contains(connection.name)
                          ? QSqlDatabase::database(connection.name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name);
    if (db.isOpen() && connection.file == file_)
        return db;
    db.close();
    connection.file.clear();
    const TAccess access = AccessFor(file_, createMissing_);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(Uri(file_, access));
    if (!db.open())
        throw TDbError(ErrorText(db.lastError()));
    Prepare(db, access);
    connection.file = file_;
    return db;
}

TResultSetPtr TDbHelper::OpenQuery(const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(GetConnection(), sql, params);
    QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    std::vector<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < columns.size(); ++i)
            row << query.value(i);
        rows.push_back(std::move(row));
    }
    query.finish();
    return std::make_unique<TResultSet>(std::move(columns), std::move(rows));
}

void TDbHelper::ExecuteCommand(const QString& sql, const QVariantList& params) {
    Run(GetConnection(), sql, params, file_);
}

qint64 TDbHelper::ExecuteInsert(const QString& sql, const QVariantList& params) {
    return Run(GetConnection(), sql, params, file_).lastInsertId().toLongLong();
}

TPreparedInsert TDbHelper::PrepareInsert(const QString& sql) {
    QSqlQuery query(GetConnection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Raise(query.lastError(), file_);
    return TPreparedInsert(std::move(query), file_);
}

qint64 TPreparedInsert::Run(const QVariantList& params) {
    for (qsizetype i = 0; i < params.size(); ++i)
        query_.bindValue(int(i), Bindable(params[i]));
    if (!query_.exec())
        Raise(query_.lastError(), file_);
    return query_.lastInsertId().toLongLong();
}

void TDbHelper::ExecuteBatch(const QList<TStatement>& statements) {
    TTransaction transaction(*this);
    for (const TStatement& statement : statements)
        ExecuteCommand(statement.sql, statement.params);
    transaction.Commit();
}

TTransaction::TTransaction(const TDbHelper& db) : db_(db) {
    db_.ExecuteCommand(QStringLiteral("begin immediate"));
}

TTransaction::~TTransaction() {
    if (!open_)
        return;
    try {
        db_.ExecuteCommand(QStringLiteral("rollback"));
    } catch (...) {
        // The error that ended the transaction is the one to report.
    }
}

void TTransaction::Commit() {
    db_.ExecuteCommand(QStringLiteral("commit"));
    open_ = false;
}

bool TDbHelper::HasColumn(const QString& table, const QString& column) {
    return ::HasColumn(GetConnection(), table, column);
}

qint64 TDbHelper::QueryInteger(const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(GetConnection(), sql, params);
    return FirstValue(query, -1).toLongLong();
}

QString TDbHelper::QueryText(const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(GetConnection(), sql, params);
    QVariant value = FirstValue(query, QString(QLatin1String("")));
    return value.isNull() ? QString(QLatin1String("")) : value.toString();
}
