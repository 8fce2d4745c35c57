#pragma once

#include <QString>

// One row of t_member.
struct TMember {
    int memberId = 0;
    int projectId = 0;
    int classId = 0;
    QString memberName;
    QString memberType;
    int memberLength = 0;
    int memberIsPri = 0;
    QString memberComment;
    int memberIsMust = 0;
    int memberIsInteger = 0;
    int memberIsFloat = 0;
    int queryFlag = 0;
    int memberIsDisplay = 0;
    int memberQueryDisplay = 1;
};

// The four simple member type words.
namespace MemberTypes {
inline const QString String = QStringLiteral("字符串");
inline const QString Integer = QStringLiteral("整型");
inline const QString Float = QStringLiteral("浮点型");
inline const QString Date = QStringLiteral("日期型");
bool IsSimple(const QString& typeWord);
} // namespace MemberTypes
