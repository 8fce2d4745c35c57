#pragma once

#include <QList>

#include "Member.h"

// The members of a class as the store keeps them, in store order; store errors propagate.
QList<TMember> ClassMembers(qint64 classId);
