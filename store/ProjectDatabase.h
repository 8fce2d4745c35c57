#pragma once

#include <QString>
#include <optional>

// The database server an application generated from a project works on.
enum class TDatabaseKind { MariaDb, PostgreSql };

// A project's database settings (t_project.databaseKind and adminTable). The defaults, those of
// every hand-made project, are stored as empty texts.
struct TProjectDatabase {
    TDatabaseKind kind = TDatabaseKind::MariaDb;
    QString adminTable; // empty: the default table name

    // The table of the application's administrators.
    QString AdminTable() const;
    bool IsDefault() const;
    bool operator==(const TProjectDatabase&) const = default;
};

namespace DatabaseKinds {

inline const QString kDefaultAdminTable = QStringLiteral("Admin");

// The kind's word in t_project, model files and on the command line ("mariadb", "postgresql").
QString Name(TDatabaseKind kind);
// The kind's caption for people ("MariaDB/MySQL", "PostgreSQL").
QString Caption(TDatabaseKind kind);
// A kind's word or caption, without case: mariadb, mysql, MariaDB/MySQL, postgresql or
// postgres; empty is MariaDB/MySQL.
std::optional<TDatabaseKind> FromName(const QString& name);

} // namespace DatabaseKinds
