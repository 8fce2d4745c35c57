#include "ProjectDAO.h"

qint64 TProjectDAO::CountProjectsByName(const QString& name) {
    return db_.QueryInteger("select count(*) from t_project where projectName=?", {name});
}

namespace {

// The stored texts: empty for the defaults.
QString StoredKind(const TProjectDatabase& database) {
    return database.kind == TDatabaseKind::MariaDb ? QString(QLatin1String(""))
                                                   : DatabaseKinds::Name(database.kind);
}

QString StoredAdminTable(const TProjectDatabase& database) {
    const QString table = database.AdminTable();
    return table == DatabaseKinds::kDefaultAdminTable ? QString(QLatin1String("")) : table;
}

} // namespace

qint64 TProjectDAO::AddProject(const QString& name, const TProjectDatabase& database) {
    if (database.IsDefault())
        return db_.ExecuteInsert("insert into t_project(projectName) values (?)", {name});
    return db_.ExecuteInsert(
        "insert into t_project(projectName, databaseKind, adminTable) values (?, ?, ?)",
        {name, StoredKind(database), StoredAdminTable(database)});
}

TProjectDatabase TProjectDAO::ReadDatabase(qint64 projectId) {
    if (!db_.HasColumn("t_project", "adminTable"))
        return {};
    TResultSetPtr rows = db_.OpenQuery(
        "select databaseKind, adminTable from t_project where projectId=?", {projectId});
    rows->First();
    if (rows->Eof())
        return {};
    return {DatabaseKinds::FromName(rows->AsText("databaseKind")).value_or(TDatabaseKind::MariaDb),
            rows->AsText("adminTable")};
}

void TProjectDAO::SetDatabase(qint64 projectId, const TProjectDatabase& database) {
    db_.ExecuteCommand("update t_project set databaseKind=?, adminTable=? where projectId=?",
                       {StoredKind(database), StoredAdminTable(database), projectId});
}

void TProjectDAO::RenameProject(qint64 projectId, const QString& name) {
    db_.ExecuteCommand("update t_project set projectName=? where projectId=?", {name, projectId});
}

void TProjectDAO::DeleteProject(qint64 projectId) {
    db_.ExecuteBatch({{"delete from t_project where projectId=?", {projectId}},
                      {"delete from t_class where projectId=?", {projectId}}});
}

TProjectList TProjectDAO::ListProjects() {
    return ListOf("select projectId,projectName from t_project order by projectId", {});
}

TProjectList TProjectDAO::FindProjects(const QString& name) {
    return ListOf("select projectId,projectName from t_project where projectName=? "
                  "order by projectId",
                  {name});
}

std::optional<TProjectEntry> TProjectDAO::FindProject(qint64 projectId) {
    const TProjectList list =
        ListOf("select projectId,projectName from t_project where projectId=?", {projectId});
    return list.isEmpty() ? std::nullopt : std::optional<TProjectEntry>(list.first());
}

TProjectList TProjectDAO::ListOf(const QString& sql, const QVariantList& params) {
    TProjectList list;
    TResultSetPtr rows = db_.OpenQuery(sql, params);
    for (rows->First(); !rows->Eof(); rows->Next())
        list.append({rows->AsText("projectName"), rows->AsInteger("projectId")});
    return list;
}
