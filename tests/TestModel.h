#pragma once

#include "Member.h"

// A member record with the given owner, name and type, every other field at its default.
inline TMember NewMember(int projectId, int classId, const QString& name, const QString& type) {
    TMember m;
    m.projectId = projectId;
    m.classId = classId;
    m.memberName = name;
    m.memberType = type;
    return m;
}
