#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One table of an Access database: its column names and its rows as texts, in file order. A
// missing value reads as an empty text.
struct TMdbTable {
    QStringList columns;
    QList<QStringList> rows;
};

// Reads tables of an Access database with mdb-export (mdbtools), run as a child process.
namespace MdbImport {

// Raises TExchangeError when mdb-export cannot be run, fails, prints more than
// ModelExchange::kMaxFileBytes, or gives no readable table. MDBICONV and MDBOPTS are not passed
// on to it.
TMdbTable ReadTable(const QString& mdbFile, const QString& table);

// Splits mdb-export's CSV output (comma, double quotes doubled inside quoted fields, which
// may hold line breaks; rows end at LF or CR LF) into rows of fields. Returns false on broken
// quoting.
bool ParseCsv(const QString& text, QList<QStringList>& rows);

} // namespace MdbImport
