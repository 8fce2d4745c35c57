#include "ProjectDAO.h"

qint64 TProjectDAO::CountProjectsByName(const QString& name) {
    return db_.QueryInteger("select count(*) from t_project where projectName=?", {name});
}

qint64 TProjectDAO::AddProject(const QString& name) {
    return db_.ExecuteInsert("insert into t_project(projectName) values (?)", {name});
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
