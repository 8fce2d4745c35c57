#pragma once

#include <QString>
#include <optional>

#include "DbHelper.h"
#include "Member.h"

// The only code that reads or writes t_member (besides two class statements).
class TMemberDAO {
public:
    // Both raise the error of CheckLength before storing anything.
    qint64 AddMember(const TMember& member); // returns the new member's id
    void UpdateMember(const TMember& member);
    void DeleteMember(qint64 memberId);

    TResultSetPtr OpenClassMembers(qint64 classId);

    std::optional<TMember> GetMember(qint64 memberId);

    // Fills a record from the current row of a member result set.
    static TMember ReadMember(const TResultSet& rows);
    // Raises the refusal of LengthRangeError (Member.h): a length that does not fit the int
    // that the generated code declares, naming the class and the member.
    static void CheckLength(const TMember& member, const QString& className);

private:
    std::optional<TMember> FirstMember(const QString& sql, const QVariantList& params);

    TDbHelper db_;
    std::optional<TPreparedInsert> insert_; // prepared at the first AddMember
};
