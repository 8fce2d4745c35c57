#pragma once

#include <QHash>
#include <QString>

#include "ProjectDatabase.h"

// The fixed templates as the project's database needs them: the driver, dialect and connection
// of the kind, and the Admin table's name. The defaults (MariaDB/MySQL, table Admin) leave every
// template as it is.
namespace DatabaseFiles {

// The scaffolding's notes on the libraries, adapted like the templates.
inline const QString kLibraryNotes = QStringLiteral("bak/WebRoot/WEB-INF/lib/README.txt");

// The PostgreSQL JDBC driver the generated pom names (Java 8 and later).
inline const QString kPostgresDriverVersion = QStringLiteral("42.7.14");

// The templates (by path relative to the resource folder, lines ending in CR LF) adapted to
// the database.
QHash<QString, QString> AdaptTemplates(const QHash<QString, QString>& templates,
                                       const TProjectDatabase& database);

// One template adapted; a path the database does not concern comes back as it is.
QString AdaptTemplate(const QString& path, const QString& text, const TProjectDatabase& database);

} // namespace DatabaseFiles
