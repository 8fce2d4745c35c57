#include "ProjectDAO.h"

int TProjectDAO::CountProjectsByName(const QString& name) {
    return db_.QueryInteger("select count(*) from t_project where projectName=?", {name});
}

void TProjectDAO::AddProject(const QString& name) {
    db_.ExecuteCommand("insert into t_project(projectName) values (?)", {name});
}

void TProjectDAO::RenameProject(int projectId, const QString& name) {
    db_.ExecuteCommand("update t_project set projectName=? where projectId=?", {name, projectId});
}

void TProjectDAO::DeleteProject(int projectId) {
    db_.ExecuteBatch({{"delete from t_project where projectId=?", {projectId}},
                      {"delete from t_class where projectId=?", {projectId}}});
}

TProjectList TProjectDAO::ListProjects() {
    TProjectList list;
    TResultSetPtr rows =
        db_.OpenQuery("select projectId,projectName from t_project order by projectId");
    for (rows->First(); !rows->Eof(); rows->Next())
        list.append({rows->AsText("projectName"), rows->AsText("projectId").toInt()});
    return list;
}
