#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// One row of t_member, its integers as stored (64 bits). A flag is set when it is 1.
struct TMember {
    qint64 memberId = 0;
    qint64 projectId = 0;
    qint64 classId = 0;
    QString memberName;
    QString memberType;
    qint64 memberLength = 0;
    qint64 memberIsPri = 0;
    QString memberComment;
    qint64 memberIsMust = 0;
    qint64 memberIsInteger = 0;
    qint64 memberIsFloat = 0;
    qint64 queryFlag = 0;
    qint64 memberIsDisplay = 0;
    qint64 memberQueryDisplay = 1;
    // The database column; empty: the column is named after the member (a reference's after
    // the referenced key).
    QString columnName;
    // 1: an integer key the user assigns (the add page asks for it); else the database
    // generates it. Other members ignore it.
    qint64 keyAssigned = 0;
    // A decimal's scale (digits after the point); its precision is memberLength.
    qint64 memberScale = 0;
};

// The simple member type words; any other type word names a class.
namespace MemberTypes {
inline const QString String = QStringLiteral("字符串");
inline const QString Integer = QStringLiteral("整型");
inline const QString Float = QStringLiteral("浮点型");
inline const QString Date = QStringLiteral("日期型");
inline const QString DateTime = QStringLiteral("日期时间型");
inline const QString Decimal = QStringLiteral("小数型");
inline const QString Long = QStringLiteral("长整型");
inline const QString Text = QStringLiteral("文本型");
inline const QString Boolean = QStringLiteral("布尔型");
// In the order the member dialogs list them.
const QStringList& All();
bool IsSimple(const QString& typeWord);
} // namespace MemberTypes

// Sets memberIsInteger and memberIsFloat from the type word, which alone decides them.
void NormaliseTypeFlags(TMember& m);

// The largest length a 文本型 member may declare (LONGTEXT's characters).
inline constexpr qint64 kMaxTextLength = 4294967295LL;

// The rule that a member's length fits the int the generated code declares (a 文本型's the
// range 0 .. kMaxTextLength), with the words
// the user reads (naming the class and the member), or nothing. Its one home: the store applies
// it when a model is read or a member stored (TMemberDAO::CheckLength), the model checks
// through ModelCheck::LengthError.
std::optional<QString> LengthRangeError(const TMember& m, const QString& className);
