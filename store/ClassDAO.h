#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "DbHelper.h"

struct TClassEntry {
    QString className;
    qint64 classId = 0;
};
using TClassList = QList<TClassEntry>;

// Called with the id of a class that fails a model check; returns once the
// failure has been shown to the user.
using TClassCheckFailure = std::function<void(qint64 classId)>;

// The only code that reads or writes t_class.
class TClassDAO {
public:
    QString GetClassName(qint64 classId);
    QString GetFriendName(qint64 classId);
    qint64 GetClassId(qint64 projectId, const QString& className);
    qint64 CountClassesByName(qint64 projectId, const QString& className);
    // Returns the new class's id.
    qint64 AddClass(qint64 projectId, const QString& className, const QString& friendName);
    // Deletes the class and its members in one transaction.
    void DeleteClass(qint64 classId);
    // Renames the class and every member type word of the project naming it, in one
    // transaction.
    void UpdateClass(qint64 projectId, qint64 classId, const QString& className,
                     const QString& friendName);
    TClassList ListClasses(qint64 projectId);
    TClassList ListOtherClasses(qint64 projectId, qint64 classId);

    // Each class must have exactly one key member / one display member. The
    // first failing class in list order is reported through onFailure.
    bool CheckPrimaryKeys(const TClassList& classes, const TClassCheckFailure& onFailure);
    bool CheckDisplayMembers(const TClassList& classes, const TClassCheckFailure& onFailure);

private:
    TClassList ListOf(const QString& sql, const QVariantList& params);
    bool CheckOnePerClass(const QString& flag, const TClassList& classes,
                          const TClassCheckFailure& onFailure);

    TDbHelper db_;
};
