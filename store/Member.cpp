#include "Member.h"

bool MemberTypes::IsSimple(const QString& typeWord) {
    return typeWord == String || typeWord == Integer || typeWord == Float || typeWord == Date;
}
