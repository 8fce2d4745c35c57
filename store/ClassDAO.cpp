#include "ClassDAO.h"

QString TClassDAO::GetClassName(qint64 classId) {
    return db_.QueryText("select className from t_class where classId=?", {classId});
}

QString TClassDAO::GetFriendName(qint64 classId) {
    return db_.QueryText("select friendName from t_class where classId=?", {classId});
}

QString TClassDAO::GetTableName(qint64 classId) {
    return db_.QueryText("select tableName from t_class where classId=?", {classId});
}

qint64 TClassDAO::GetClassId(qint64 projectId, const QString& className) {
    return db_.QueryInteger("select classId from t_class where projectId=? and className=? "
                            "order by classId",
                            {projectId, className});
}

qint64 TClassDAO::CountClassesByName(qint64 projectId, const QString& className) {
    return db_.QueryInteger("select count(*) from t_class where projectId=? and className=?",
                            {projectId, className});
}

qint64 TClassDAO::AddClass(qint64 projectId, const QString& className,
                          const QString& friendName, const QString& tableName) {
    return db_.ExecuteInsert(
        "insert into t_class(projectId,className,friendName,tableName) values (?,?,?,?)",
        {projectId, className, friendName, tableName});
}

void TClassDAO::DeleteClass(qint64 classId) {
    db_.ExecuteBatch({{"delete from t_class where classId=?", {classId}},
                      {"delete from t_member where classId=?", {classId}}});
}

// The member types are rewritten first, while the class row still has its old name.
void TClassDAO::UpdateClass(qint64 projectId, qint64 classId, const QString& className,
                            const QString& friendName, const QString& tableName) {
    db_.ExecuteBatch({{"update t_member set memberType=? where projectId=? and "
                       "memberType=(select className from t_class where classId=?)",
                       {className, projectId, classId}},
                      {"update t_class set friendName=?,className=?,tableName=? where classId=?",
                       {friendName, className, tableName, classId}}});
}

TClassList TClassDAO::ListClasses(qint64 projectId) {
    return ListOf("select classId,className from t_class where projectId=? order by classId",
                  {projectId});
}

TClassList TClassDAO::ListOtherClasses(qint64 projectId, qint64 classId) {
    return ListOf("select classId,className from t_class where classId<>? and projectId=? "
                  "order by classId",
                  {classId, projectId});
}

TClassList TClassDAO::ListOf(const QString& sql, const QVariantList& params) {
    TClassList list;
    TResultSetPtr rows = db_.OpenQuery(sql, params);
    for (rows->First(); !rows->Eof(); rows->Next())
        list.append({rows->AsText("className"), rows->AsInteger("classId")});
    return list;
}
