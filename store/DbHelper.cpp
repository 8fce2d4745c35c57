#include "DbHelper.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <mutex>

namespace {

std::mutex g_fileMutex;
QString g_file;
std::atomic<int> g_connectionCounter{0};

const char* const kSchema[] = {
    "create table if not exists t_project(projectId integer primary key autoincrement, "
    "projectName text)",
    "create table if not exists t_class(classId integer primary key autoincrement, "
    "projectId integer, className text, friendName text)",
    "create table if not exists t_member(memberId integer primary key autoincrement, "
    "projectId integer, classId integer, memberName text, memberType text, "
    "memberLength integer, memberIsPri integer, memberComment text, memberIsMust integer, "
    "memberIsInteger integer, memberIsFloat integer, queryFlag integer, "
    "memberIsDisplay integer, memberQueryDisplay integer)",
};

// The calling thread's connection name. A worker thread's connection is
// closed and removed when the thread ends; the main thread's lives on.
struct ThreadConnection {
    QString name;

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

QSqlQuery Run(const QSqlDatabase& db, const QString& sql, const QVariantList& params) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw TDbError(ErrorText(query.lastError()));
    for (const QVariant& value : params)
        query.addBindValue(Bindable(value));
    if (!query.exec())
        throw TDbError(ErrorText(query.lastError()));
    return query;
}

void Prepare(const QSqlDatabase& db) {
    Run(db, "pragma busy_timeout=10000", {});
    Run(db, "pragma journal_mode=WAL", {});
    Run(db, "pragma synchronous=NORMAL", {});
    for (const char* statement : kSchema)
        Run(db, statement, {});
}

QVariant FirstValue(QSqlQuery& query, const QVariant& none) {
    QVariant result = query.next() ? query.value(0) : none;
    query.finish();
    return result;
}

} // namespace

TDbError::TDbError(const QString& message) : std::runtime_error(message.toStdString()) {}

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

int TResultSet::AsInteger(const QString& column) const {
    return Value(column).toInt();
}

TDbHelper::TDbHelper() : file_(DatabaseFile()) {}

void TDbHelper::SetDatabaseFile(const QString& path) {
    std::lock_guard<std::mutex> lock(g_fileMutex);
    g_file = path;
}

QString TDbHelper::DatabaseFile() {
    std::lock_guard<std::mutex> lock(g_fileMutex);
    if (g_file.isEmpty() && QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath() + QStringLiteral("/projects.db");
    return g_file;
}

QSqlDatabase TDbHelper::GetConnection() {
    if (t_connection.name.isEmpty())
        t_connection.name = QStringLiteral("brennoquill-%1").arg(++g_connectionCounter);
    const QString& name = t_connection.name;
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    if (db.isOpen() && db.databaseName() == file_)
        return db;
    db.close();
    db.setDatabaseName(file_);
    if (!db.open())
        throw TDbError(ErrorText(db.lastError()));
    Prepare(db);
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
    Run(GetConnection(), sql, params);
}

void TDbHelper::ExecuteBatch(const QList<TStatement>& statements) {
    QSqlDatabase db = GetConnection();
    Run(db, QStringLiteral("begin immediate"), {});
    try {
        for (const TStatement& statement : statements)
            Run(db, statement.sql, statement.params);
        Run(db, QStringLiteral("commit"), {});
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("rollback"));
        throw;
    }
}

int TDbHelper::QueryInteger(const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(GetConnection(), sql, params);
    return FirstValue(query, -1).toInt();
}

QString TDbHelper::QueryText(const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(GetConnection(), sql, params);
    QVariant value = FirstValue(query, QString(QLatin1String("")));
    return value.isNull() ? QString(QLatin1String("")) : value.toString();
}
