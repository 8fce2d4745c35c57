#include "ProjectModel.h"

#include <algorithm>

#include "DbHelper.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"

namespace {

template <typename Predicate> QList<TMember> Select(const QList<TMember>& members, Predicate keep) {
    QList<TMember> result;
    std::copy_if(members.begin(), members.end(), std::back_inserter(result), keep);
    return result;
}

template <typename Predicate>
std::optional<TMember> First(const QList<TMember>& members, Predicate match) {
    const auto it = std::find_if(members.begin(), members.end(), match);
    return it == members.end() ? std::nullopt : std::optional<TMember>(*it);
}

bool IsKey(const TMember& m) {
    return m.memberIsPri == 1;
}

bool IsDisplay(const TMember& m) {
    return m.memberIsDisplay == 1;
}

// The project's database settings of a row of the model's query.
TProjectDatabase ReadSettings(const TResultSet& row) {
    return {DatabaseKinds::FromName(row.AsText("projectKind")).value_or(TDatabaseKind::MariaDb),
            row.AsText("projectAdmin")};
}

} // namespace

QList<TMember> TClassModel::NonKeyMembers() const {
    return Select(members, [](const TMember& m) { return m.memberIsPri == 0; });
}

QList<TMember> TClassModel::QueryMembers() const {
    return Select(members, [](const TMember& m) { return m.queryFlag == 1; });
}

QList<TMember> TClassModel::ReferenceMembers() const {
    return Select(members, [](const TMember& m) { return !MemberTypes::IsSimple(m.memberType); });
}

std::optional<TMember> TClassModel::KeyMember() const {
    return First(members, IsKey);
}

std::optional<TMember> TClassModel::DisplayMember() const {
    return First(members, IsDisplay);
}

int TClassModel::CountKeyMembers() const {
    return int(std::count_if(members.begin(), members.end(), IsKey));
}

int TClassModel::CountDisplayMembers() const {
    return int(std::count_if(members.begin(), members.end(), IsDisplay));
}

bool TProjectModel::MapsExistingTables() const {
    return namedTables_ > 0;
}

TClassModel& TProjectModel::AddClass(const TClassModel& c) {
    if (!firstByName_.contains(c.className)) // an earlier class of the name is found first
        firstByName_.insert(c.className, classes_.size());
    if (!c.tableName.isEmpty())
        ++namedTables_;
    classes_.append(c);
    return classes_.last();
}

const TClassModel* TProjectModel::FindClass(const QString& className) const {
    const auto it = firstByName_.constFind(className);
    return it == firstByName_.constEnd() ? nullptr : &classes_[*it];
}

std::optional<TMember> TProjectModel::KeyMemberOfClass(const QString& className) const {
    const TClassModel* found = FindClass(className);
    if (found == nullptr)
        return std::nullopt;
    const qint64 project = projectId_;
    return First(found->members,
                 [project](const TMember& m) { return IsKey(m) && m.projectId == project; });
}

// One statement, so the project's settings, classes and members come from the same state of
// the database. A class without members comes as one row with a null memberId.
TProjectModel ReadProjectModel(qint64 projectId) {
    TDbHelper db;
    // An older read-only database has no table names.
    const QString table = db.HasColumn("t_class", "tableName") ? "c.tableName" : "''";
    const QString settings = db.HasColumn("t_project", "adminTable")
                                 ? "p.databaseKind as projectKind, p.adminTable as projectAdmin"
                                 : "'' as projectKind, '' as projectAdmin";
    TResultSetPtr rows = db.OpenQuery(
        "select " + settings +
            ", c.classId as ownerId, c.className as ownerName, c.friendName as ownerFriend, " +
            table +
            " as ownerTable, m.* from t_class c left join t_member m on m.classId = c.classId "
            "left join t_project p on p.projectId = c.projectId "
            "where c.projectId = ? order by c.classId, m.memberId",
        {projectId});
    TProjectModel model(projectId);
    TClassModel* current = nullptr;
    rows->First();
    model.SetDatabase(rows->Eof() ? TProjectDAO().ReadDatabase(projectId) : ReadSettings(*rows));
    for (; !rows->Eof(); rows->Next()) {
        const qint64 classId = rows->AsInteger("ownerId");
        if (current == nullptr || current->classId != classId)
            current = &model.AddClass({classId, rows->AsText("ownerName"),
                                       rows->AsText("ownerFriend"), {}, rows->AsText("ownerTable")});
        if (rows->AsText("memberId").isEmpty())
            continue;
        TMember member = TMemberDAO::ReadMember(*rows);
        NormaliseTypeFlags(member);
        TMemberDAO::CheckLength(member, current->className);
        current->members.append(member);
    }
    return model;
}
