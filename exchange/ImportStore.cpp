#include "ImportStore.h"

#include "ClassDAO.h"
#include "ImportCheck.h"
#include "MemberDAO.h"
#include "ModelCheck.h"
#include "ProjectDAO.h"

namespace {

void StoreProject(const TImportProject& p) {
    TProjectDAO projects;
    if (const std::optional<QString> error =
            ModelCheck::ProjectNameTakenError(p.projectName, projects.FindProjects(p.projectName)))
        throw TNameTakenError(ImportCheck::TakenText(p, *error));
    const qint64 projectId = projects.AddProject(p.projectName, p.database);
    TClassDAO classes;
    TMemberDAO members;
    for (const TImportClass& c : p.classes) {
        const qint64 classId = classes.AddClass(projectId, c.className, c.friendName, c.tableName);
        for (const TImportMember& item : c.members) {
            TMember m = item.member;
            NormaliseTypeFlags(m);
            m.projectId = projectId;
            m.classId = classId;
            members.AddMember(m);
        }
    }
}

} // namespace

namespace ImportStore {

// The stores of this thread share its connection, so they all run inside this transaction.
QStringList Store(const TImportModel& model) {
    TTransaction transaction;
    QStringList names;
    for (const TImportProject& p : model) {
        StoreProject(p);
        names << p.projectName;
    }
    transaction.Commit();
    return names;
}

} // namespace ImportStore
