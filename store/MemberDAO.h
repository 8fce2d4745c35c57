#pragma once

#include <QString>
#include <optional>

#include "DbHelper.h"
#include "Member.h"

// The only code that reads or writes t_member (besides two class statements).
class TMemberDAO {
public:
    void AddMember(const TMember& member);
    void UpdateMember(const TMember& member);
    void DeleteMember(int memberId);

    TResultSetPtr OpenClassMembers(int classId);
    TResultSetPtr OpenReferenceMembers(int classId);
    TResultSetPtr OpenQueryMembers(int classId);
    TResultSetPtr OpenNonKeyMembers(int classId);

    std::optional<TMember> GetMember(int memberId);
    std::optional<TMember> GetKeyMember(int classId);
    std::optional<TMember> GetKeyMemberOfClass(int projectId, const QString& className);
    std::optional<TMember> GetMemberOfType(int classId, const QString& memberType);

    // Fills a record from the current row of a member result set.
    static TMember ReadMember(const TResultSet& rows);

private:
    std::optional<TMember> FirstMember(const QString& sql, const QVariantList& params);

    TDbHelper db_;
};
