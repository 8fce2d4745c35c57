#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "ImportModel.h"

// One table of an Access database: its column names and its rows as texts, in file order. A
// missing value reads as an empty text.
struct TMdbTable {
    QStringList columns;
    QList<QStringList> rows;
};

// The Access database of the earlier Windows version (tables t_project, t_class, t_member):
// its tables read with mdb-export (mdbtools), run as a child process, and the model they hold.
namespace MdbImport {

// The projects, classes and members of the file, in the order of their ids; rows whose class or
// project the file no longer holds are left out (the earlier version kept the members of a
// deleted project); an empty value reads as empty text or 0. Throws TExchangeError naming the
// row ("t_member[memberId=40].memberType: ...").
TImportModel ReadModel(const QString& mdbFile);
// ReadModel, then the one typed import (ImportModel): every project of the file, or nothing.
QStringList ImportMdb(const QString& mdbFile);

// Raises TExchangeError when mdb-export cannot be run, fails, prints more than
// kMaxImportBytes, or gives no readable table. MDBICONV and MDBOPTS are not passed
// on to it.
TMdbTable ReadTable(const QString& mdbFile, const QString& table);

// Splits mdb-export's CSV output (comma, double quotes doubled inside quoted fields, which
// may hold line breaks; rows end at LF or CR LF) into rows of fields. Returns false on broken
// quoting.
bool ParseCsv(const QString& text, QList<QStringList>& rows);

} // namespace MdbImport
