#include "ClassDAO.h"

QString TClassDAO::GetClassName(int classId) {
    return db_.QueryText("select className from t_class where classId=?", {classId});
}

QString TClassDAO::GetFriendName(int classId) {
    return db_.QueryText("select friendName from t_class where classId=?", {classId});
}

int TClassDAO::GetClassId(int projectId, const QString& className) {
    return db_.QueryInteger("select classId from t_class where projectId=? and className=? "
                            "order by classId",
                            {projectId, className});
}

int TClassDAO::CountClassesByName(int projectId, const QString& className) {
    return db_.QueryInteger("select count(*) from t_class where projectId=? and className=?",
                            {projectId, className});
}

void TClassDAO::AddClass(int projectId, const QString& className, const QString& friendName) {
    db_.ExecuteCommand("insert into t_class(projectId,className,friendName) values (?,?,?)",
                       {projectId, className, friendName});
}

void TClassDAO::DeleteClass(int classId) {
    db_.ExecuteCommand("delete from t_class where classId=?", {classId});
    db_.ExecuteCommand("delete from t_member where classId=?", {classId});
}

void TClassDAO::UpdateClass(int projectId, int classId, const QString& className,
                            const QString& friendName) {
    const QString oldName = TClassDAO().GetClassName(classId);
    db_.ExecuteCommand("update t_class set friendName=?,className=? where classId=?",
                       {friendName, className, classId});
    db_.ExecuteCommand("update t_member set memberType=? where projectId=? and memberType=?",
                       {className, projectId, oldName});
}

TClassList TClassDAO::ListClasses(int projectId) {
    return ListOf("select classId,className from t_class where projectId=? order by classId",
                  {projectId});
}

TClassList TClassDAO::ListOtherClasses(int projectId, int classId) {
    return ListOf("select classId,className from t_class where classId<>? and projectId=? "
                  "order by classId",
                  {classId, projectId});
}

bool TClassDAO::CheckPrimaryKeys(const TClassList& classes, const TClassCheckFailure& onFailure) {
    return CheckOnePerClass("memberIsPri", classes, onFailure);
}

bool TClassDAO::CheckDisplayMembers(const TClassList& classes,
                                    const TClassCheckFailure& onFailure) {
    return CheckOnePerClass("memberIsDisplay", classes, onFailure);
}

TClassList TClassDAO::ListOf(const QString& sql, const QVariantList& params) {
    TClassList list;
    TResultSetPtr rows = db_.OpenQuery(sql, params);
    for (rows->First(); !rows->Eof(); rows->Next())
        list.append({rows->AsText("className"), rows->AsText("classId").toInt()});
    return list;
}

bool TClassDAO::CheckOnePerClass(const QString& flag, const TClassList& classes,
                                 const TClassCheckFailure& onFailure) {
    const QString sql =
        QStringLiteral("select count(*) from t_member where classId=? and %1=1").arg(flag);
    for (const TClassEntry& entry : classes) {
        if (db_.QueryInteger(sql, {entry.classId}) != 1) {
            if (onFailure)
                onFailure(entry.classId);
            return false;
        }
    }
    return true;
}
