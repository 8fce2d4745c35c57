#include "ProjectDatabase.h"

QString TProjectDatabase::AdminTable() const {
    return adminTable.isEmpty() ? DatabaseKinds::kDefaultAdminTable : adminTable;
}

bool TProjectDatabase::IsDefault() const {
    return kind == TDatabaseKind::MariaDb && AdminTable() == DatabaseKinds::kDefaultAdminTable;
}

namespace DatabaseKinds {

QString Name(TDatabaseKind kind) {
    return kind == TDatabaseKind::PostgreSql ? QStringLiteral("postgresql")
                                             : QStringLiteral("mariadb");
}

QString Caption(TDatabaseKind kind) {
    return kind == TDatabaseKind::PostgreSql ? QStringLiteral("PostgreSQL")
                                             : QStringLiteral("MariaDB/MySQL");
}

std::optional<TDatabaseKind> FromName(const QString& name) {
    const QString word = name.toLower();
    if (word.isEmpty() || word == QLatin1String("mariadb") || word == QLatin1String("mysql") ||
        word == QLatin1String("mariadb/mysql"))
        return TDatabaseKind::MariaDb;
    if (word == QLatin1String("postgresql") || word == QLatin1String("postgres"))
        return TDatabaseKind::PostgreSql;
    return std::nullopt;
}

} // namespace DatabaseKinds
