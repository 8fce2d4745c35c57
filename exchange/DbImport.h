#pragma once

#include <QString>
#include <QStringList>

#include "ImportModel.h"
#include "SchemaImport.h"
#include "SchemaReader.h"

// What an import from a database is asked to do.
struct TDbImportRequest {
    TDbSource source;
    QString tables;      // comma-separated wildcard patterns; empty: every table
    QString projectName; // empty: the database's name
    bool strict = false; // refuse the whole import when the report is not empty (notices aside)
};

// The stored project and the report of what the model could not take as it was, followed by
// the mapping's notices.
struct TDbImportResult {
    QString projectName;
    qsizetype classCount = 0;
    QStringList report;
    QStringList notices; // the defaults the import chose (TSchemaMapping::notices)
};

// Reads a database's schema, maps it to a model and stores it as one project through the one
// typed import (ImportModel): its checks, and one transaction, so a refused import stores
// nothing.
namespace DbImport {

// The mapping of the database's (filtered) tables; throws TExchangeError when the database
// cannot be read or no table can be imported (the message then holds the report).
TSchemaMapping ReadMapping(const TDbImportRequest& request);

// Sets the mapping's database: the source's kind (SQLite: MariaDB/MySQL), and an Admin table
// named unlike every table of the database (without case), those left out of the import too;
// another name than Admin gets a report line.
void ChooseDatabase(TSchemaMapping& mapping, TDbKind source, const QList<TSchemaTable>& all);

// The project name the request stores under.
QString ProjectName(const TDbImportRequest& request);

// The mapping as the typed model of one project of that name (its name's place "工程名称",
// each class's "classes[i]").
TImportModel ImportModelOf(const TSchemaMapping& mapping, const QString& projectName);

// Stores the mapping as the request's project. Throws TNameTakenError for a name already in
// the database, TExchangeError when strict and the report is not empty or the model is
// refused.
TDbImportResult Store(const TDbImportRequest& request, const TSchemaMapping& mapping);

// ReadMapping, then Store.
TDbImportResult Import(const TDbImportRequest& request);

} // namespace DbImport
