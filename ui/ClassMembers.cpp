#include "ClassMembers.h"

#include "MemberDAO.h"

QList<TMember> ClassMembers(qint64 classId) {
    QList<TMember> members;
    const TResultSetPtr rows = TMemberDAO().OpenClassMembers(classId);
    for (rows->First(); !rows->Eof(); rows->Next())
        members << TMemberDAO::ReadMember(*rows);
    return members;
}
