#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ProjectModel.h"

// A database schema as a reader gives it, and its mapping to a model. The mapping is a pure
// function: no database, no files.

// What a column's declared type is for the model: Text a character type (a string or a long
// text by its declared length), Decimal an exact number, Float an approximate one.
enum class TColumnKind { Text, Integer, Long, Float, Decimal, Date, DateTime, Boolean, Other };

struct TSchemaColumn {
    QString name;
    QString typeName; // as declared, for the report ("varchar(80)", "blob")
    TColumnKind kind = TColumnKind::Other;
    qint64 length = -1; // declared characters of a text column; -1 when none is declared
    bool notNull = false;
    QString comment;
    bool generated = false; // the database numbers it (AUTO_INCREMENT, IDENTITY, SERIAL, rowid)
    // The PostgreSQL domain the column is declared with when the domain has checks of its own;
    // typeName is then the domain's base type.
    QString domain = QString();
};

struct TSchemaForeignKey {
    QStringList columns;
    QString refTable;
    QStringList refColumns; // empty: the referenced table's primary key (SQLite)
};

struct TSchemaTable {
    QString name;
    QString comment;
    QList<TSchemaColumn> columns; // in declared order
    QStringList primaryKey;       // its columns in key order
    QList<TSchemaForeignKey> foreignKeys;
    bool view = false; // a view: reported, never imported
};

// The classes a schema gives, and one line per thing the model could not take as it was.
struct TSchemaMapping {
    QList<TClassModel> classes;
    QStringList report;
    // What the import chose for the user beyond the schema (defaults, the database the
    // application uses); unlike the report, no reason to refuse a strict import.
    QStringList notices;
    TProjectDatabase database; // the kind of the source, an Admin table no table clashes with
};

namespace SchemaImport {

// The kind of a declared type, from its words: "varchar(80)", "character varying",
// "int(11) unsigned", "timestamp without time zone", SQLite's free type names; an array
// ("integer[]") is Other.
TColumnKind KindOfType(const QString& typeName);
// The declared length in parentheses ("varchar(80)" gives 80, "decimal(10,2)" 10), or -1.
qint64 DeclaredLength(const QString& typeName);
// The second number in parentheses ("decimal(10,2)" gives 2), or 0.
qint64 DeclaredScale(const QString& typeName);

// "book_type" -> "BookType" / "bookType"; every character but ASCII letters and digits
// separates words; a word's first letter is upper-cased, the others kept.
QString UpperCamel(const QString& name);
QString LowerCamel(const QString& name);

// The tables whose names match one of the comma-separated wildcard patterns ("book*,loan"),
// all when the pattern is empty.
QList<TSchemaTable> FilterTables(const QList<TSchemaTable>& tables, const QString& pattern);

// The model of the tables: a class per table with one single-column key of an integer or
// text type, a member per column the model can hold, references for single-column foreign keys
// to imported tables, and a display member per class; the display member (unless a number)
// and the references are search fields. Every class passes the run's rules; what is left out,
// renamed or changed, every type mapped with a loss and every value the database refuses beyond
// the member's own checks, is named in the report.
TSchemaMapping MapSchema(const QList<TSchemaTable>& tables);

} // namespace SchemaImport
