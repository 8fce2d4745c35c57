#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// An error of the database engine, carrying the engine's message text or the store's own.
class TDbError : public std::runtime_error {
public:
    explicit TDbError(const QString& message);
    // The whole text, even past a NUL character (what() ends there).
    QString Message() const { return message_; }

private:
    QString message_;
};

// One SQL statement with its bound values ('?' placeholders, in order).
struct TStatement {
    QString sql;
    QVariantList params;
};

// The rows of one query, read whole when it is opened, so that it stays
// valid whatever other statements run meanwhile on any thread.
class TResultSet {
public:
    TResultSet(QStringList columns, std::vector<QVariantList> rows);

    void First() { row_ = 0; }
    bool Eof() const { return row_ >= rows_.size(); }
    void Next();
    int RecordCount() const { return int(rows_.size()); }

    // Value of a column of the current row; an integer column reads as its digits.
    QString AsText(const QString& column) const;
    qint64 AsInteger(const QString& column) const;
    bool HasColumn(const QString& column) const;

private:
    const QVariant& Value(const QString& column) const;

    QStringList columns_;
    std::vector<QVariantList> rows_;
    size_t row_ = 0;
};

using TResultSetPtr = std::unique_ptr<TResultSet>;

class TPreparedInsert;

// Runs SQL on the calling thread's connection to the project database.
class TDbHelper {
public:
    TDbHelper();

    // The database file used by helpers created from now on. Unless createMissing, a missing
    // file is not created: opening it raises "没有找到数据库: <file>".
    static void SetDatabaseFile(const QString& path, bool createMissing = true);
    static QString DatabaseFile();

    // The calling thread's open connection to the database file. The main
    // thread's stays open; another thread's is closed when that thread ends.
    // A file that may not be written, or whose folder may not be (no write permission bit
    // counts too, even for root), is opened read-only and left as it is: writes to it raise
    // "数据库是只读的, 无法保存修改: <file>".
    QSqlDatabase GetConnection();

    TResultSetPtr OpenQuery(const QString& sql, const QVariantList& params = {});
    void ExecuteCommand(const QString& sql, const QVariantList& params = {});
    // Runs one insert; returns the new row's id.
    qint64 ExecuteInsert(const QString& sql, const QVariantList& params = {});
    // An insert prepared once on the calling thread's connection, to be run for many rows.
    TPreparedInsert PrepareInsert(const QString& sql);
    // Runs all statements in one transaction; at the first failure rolls all
    // back, runs nothing further and rethrows the error.
    void ExecuteBatch(const QList<TStatement>& statements);
    // First column of the first row; -1 or empty text when there is no row.
    qint64 QueryInteger(const QString& sql, const QVariantList& params = {});
    QString QueryText(const QString& sql, const QVariantList& params = {});
    // Whether the table has the column (an older read-only database may lack a later one).
    bool HasColumn(const QString& table, const QString& column);

private:
    QString file_;
    bool createMissing_;
};

// An insert statement prepared once and run with each row's values (an import stores thousands
// of rows with one statement); used on the thread that prepared it, while its connection lives.
class TPreparedInsert {
public:
    TPreparedInsert(QSqlQuery query, QString file)
        : query_(std::move(query)), file_(std::move(file)) {}
    // Runs the insert; returns the new row's id.
    qint64 Run(const QVariantList& params);

private:
    QSqlQuery query_;
    QString file_;
};

// A write transaction on the calling thread's connection ("begin immediate"). Every thread has
// one connection to the database, which all its stores (TProjectDAO, TClassDAO, TMemberDAO,
// TDbHelper) share: whatever they run on this thread while the transaction lives is part of
// it. Commit makes it lasting; a transaction not committed when it ends (an exception left
// the scope) is rolled back, and an error of that rollback is dropped, so that the first error
// is the one reported. Transactions do not nest.
class TTransaction {
public:
    // Begins on db's connection: the calling thread's to db's database file.
    explicit TTransaction(const TDbHelper& db = TDbHelper());
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    void Commit();

private:
    TDbHelper db_;
    bool open_ = true;
};
