#pragma once

#include <QList>
#include <QString>

#include "SchemaImport.h"

// Where a schema is read from: a MariaDB/MySQL or PostgreSQL server, or a SQLite file.
enum class TDbKind { MySql, PostgreSql, Sqlite };

struct TDbSource {
    TDbKind kind = TDbKind::MySql;
    QString host;
    int port = 0;     // 0: the kind's default port
    QString database; // the file of a SQLite database
    QString user;
    QString password;
};

// Reads the tables, columns, keys and comments of a database through Qt SQL (QMYSQL, QPSQL,
// QSQLITE). Nothing is written to the database; a SQLite file is opened read-only.
namespace SchemaReader {

// The environment variable the headless command reads the password from.
inline constexpr char kPasswordVariable[] = "BRENNOQUILL_DB_PASSWORD";

// The kind's default port: 3306, 5432, or 0 for SQLite.
int DefaultPort(TDbKind kind);

// Parses "mysql://user@host:port/db" (also "mariadb://"), "postgresql://user@host:port/db"
// (also "postgres://") and "sqlite:///path". Returns false with the reason in error for
// another form, a missing database, or a password in the URL.
bool ParseUrl(const QString& url, TDbSource& source, QString& error);

// The project name an import takes by default: the database name, or the SQLite file's name
// without its suffix.
QString DefaultProjectName(const TDbSource& source);

// The tables of the database (MariaDB/MySQL: the named database; PostgreSQL: the current
// schema; SQLite: the file), in name order for the servers and file order for SQLite. Throws
// TExchangeError when the driver is missing, the connection fails or a query fails.
QList<TSchemaTable> ReadSchema(const TDbSource& source);

} // namespace SchemaReader
