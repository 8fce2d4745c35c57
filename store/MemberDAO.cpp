#include "MemberDAO.h"

#include "ClassDAO.h"

void TMemberDAO::AddMember(const TMember& m) {
    db_.ExecuteCommand(
        "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
        "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
        "memberQueryDisplay) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {m.projectId, m.classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri,
         m.memberComment, m.memberIsMust, m.memberIsInteger, m.memberIsFloat, m.queryFlag,
         m.memberIsDisplay, m.memberQueryDisplay});
}

void TMemberDAO::UpdateMember(const TMember& m) {
    db_.ExecuteCommand(
        "update t_member set memberName=?,memberType=?,memberLength=?,memberIsPri=?,"
        "memberComment=?,memberIsMust=?,memberIsInteger=?,memberIsFloat=?,queryFlag=?,"
        "memberIsDisplay=?,memberQueryDisplay=? where memberId=?",
        {m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment, m.memberIsMust,
         m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay,
         m.memberId});
}

void TMemberDAO::DeleteMember(int memberId) {
    db_.ExecuteCommand("delete from t_member where memberId=?", {memberId});
}

TResultSetPtr TMemberDAO::OpenClassMembers(int classId) {
    return db_.OpenQuery("select * from t_member where classId=? order by memberId", {classId});
}

TResultSetPtr TMemberDAO::OpenReferenceMembers(int classId) {
    return db_.OpenQuery("select * from t_member where memberType<>? and memberType<>? and "
                         "memberType<>? and memberType<>? and classId=? order by memberId",
                         {MemberTypes::String, MemberTypes::Integer, MemberTypes::Float,
                          MemberTypes::Date, classId});
}

TResultSetPtr TMemberDAO::OpenQueryMembers(int classId) {
    return db_.OpenQuery("select * from t_member where queryFlag = 1 and classId=? "
                         "order by memberId",
                         {classId});
}

TResultSetPtr TMemberDAO::OpenNonKeyMembers(int classId) {
    return db_.OpenQuery("select * from t_member where memberIsPri=0 and classId=? "
                         "order by memberId",
                         {classId});
}

std::optional<TMember> TMemberDAO::GetMember(int memberId) {
    std::optional<TMember> member =
        FirstMember("select * from t_member where memberId=?", {memberId});
    if (member)
        member->memberId = memberId;
    return member;
}

std::optional<TMember> TMemberDAO::GetKeyMember(int classId) {
    return FirstMember("select * from t_member where memberIsPri=1 and classId=? "
                       "order by memberId",
                       {classId});
}

std::optional<TMember> TMemberDAO::GetKeyMemberOfClass(int projectId, const QString& className) {
    const int classId = TClassDAO().GetClassId(projectId, className);
    return FirstMember("select * from t_member where memberIsPri=1 and projectId=? and "
                       "classId=? order by memberId",
                       {projectId, classId});
}

std::optional<TMember> TMemberDAO::GetMemberOfType(int classId, const QString& memberType) {
    return FirstMember("select * from t_member where classId=? and memberType=? "
                       "order by memberId",
                       {classId, memberType});
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
    return m;
}

std::optional<TMember> TMemberDAO::FirstMember(const QString& sql, const QVariantList& params) {
    TResultSetPtr rows = db_.OpenQuery(sql, params);
    rows->First();
    if (rows->Eof())
        return std::nullopt;
    return ReadMember(*rows);
}
