#include "MemberDAO.h"

#include <utility>

#include "ClassDAO.h"

namespace {

// Looks up the class for the message only when the length is refused.
void CheckStoredLength(const TMember& m) {
    if (LengthRangeError(m, QString()))
        TMemberDAO::CheckLength(m, TClassDAO().GetClassName(m.classId));
}

} // namespace

qint64 TMemberDAO::AddMember(const TMember& m) {
    CheckStoredLength(m);
    if (!insert_)
        insert_.emplace(db_.PrepareInsert(
            "insert into t_member(projectId,classId,memberName,memberType,memberLength,"
            "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
            "memberIsDisplay,memberQueryDisplay,columnName,keyAssigned,memberScale) "
            "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    return insert_->Run({m.projectId, m.classId, m.memberName, m.memberType, m.memberLength,
                         m.memberIsPri, m.memberComment, m.memberIsMust, m.memberIsInteger,
                         m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay,
                         m.columnName, m.keyAssigned, m.memberScale});
}

void TMemberDAO::UpdateMember(const TMember& m) {
    CheckStoredLength(m);
    db_.ExecuteCommand(
        "update t_member set memberName=?,memberType=?,memberLength=?,memberIsPri=?,"
        "memberComment=?,memberIsMust=?,memberIsInteger=?,memberIsFloat=?,queryFlag=?,"
        "memberIsDisplay=?,memberQueryDisplay=?,columnName=?,keyAssigned=?,memberScale=? "
        "where memberId=?",
        {m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment, m.memberIsMust,
         m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay,
         m.columnName, m.keyAssigned, m.memberScale, m.memberId});
}

void TMemberDAO::DeleteMember(qint64 memberId) {
    db_.ExecuteCommand("delete from t_member where memberId=?", {memberId});
}

TResultSetPtr TMemberDAO::OpenClassMembers(qint64 classId) {
    return db_.OpenQuery("select * from t_member where classId=? order by memberId", {classId});
}

std::optional<TMember> TMemberDAO::GetMember(qint64 memberId) {
    std::optional<TMember> member =
        FirstMember("select * from t_member where memberId=?", {memberId});
    if (member)
        member->memberId = memberId;
    return member;
}

TMember TMemberDAO::ReadMember(const TResultSet& rows) {
    TMember m;
    m.memberId = rows.AsInteger("memberId");
    m.projectId = rows.AsInteger("projectId");
    m.classId = rows.AsInteger("classId");
    m.memberName = rows.AsText("memberName");
    m.memberType = rows.AsText("memberType");
    m.memberLength = rows.AsInteger("memberLength");
    m.memberIsPri = rows.AsInteger("memberIsPri");
    m.memberComment = rows.AsText("memberComment");
    m.memberIsMust = rows.AsInteger("memberIsMust");
    m.memberIsInteger = rows.AsInteger("memberIsInteger");
    m.memberIsFloat = rows.AsInteger("memberIsFloat");
    m.queryFlag = rows.AsInteger("queryFlag");
    m.memberIsDisplay = rows.AsInteger("memberIsDisplay");
    m.memberQueryDisplay = rows.AsInteger("memberQueryDisplay");
    if (rows.HasColumn("columnName")) // an older read-only database lacks it
        m.columnName = rows.AsText("columnName");
    if (rows.HasColumn("keyAssigned"))
        m.keyAssigned = rows.AsInteger("keyAssigned");
    if (rows.HasColumn("memberScale"))
        m.memberScale = rows.AsInteger("memberScale");
    return m;
}

void TMemberDAO::CheckLength(const TMember& member, const QString& className) {
    if (const std::optional<QString> error = LengthRangeError(member, className))
        throw TDbError(*error);
}

std::optional<TMember> TMemberDAO::FirstMember(const QString& sql, const QVariantList& params) {
    TResultSetPtr rows = db_.OpenQuery(sql, params);
    rows->First();
    if (rows->Eof())
        return std::nullopt;
    return ReadMember(*rows);
}
