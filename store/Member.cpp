#include "Member.h"

bool MemberTypes::IsSimple(const QString& typeWord) {
    return typeWord == String || typeWord == Integer || typeWord == Float || typeWord == Date;
}

void NormaliseTypeFlags(TMember& m) {
    m.memberIsInteger = m.memberType == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = m.memberType == MemberTypes::Float ? 1 : 0;
}
