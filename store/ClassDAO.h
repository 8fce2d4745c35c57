#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "DbHelper.h"

struct TClassEntry {
    QString className;
    int classId = 0;
};
using TClassList = QList<TClassEntry>;

// Called with the id of a class that fails a model check; returns once the
// failure has been shown to the user.
using TClassCheckFailure = std::function<void(int classId)>;

// The only code that reads or writes t_class.
class TClassDAO {
public:
    QString GetClassName(int classId);
    QString GetFriendName(int classId);
    int GetClassId(int projectId, const QString& className);
    int CountClassesByName(int projectId, const QString& className);
    void AddClass(int projectId, const QString& className, const QString& friendName);
    void DeleteClass(int classId);
    // Renames the class and every member type word of the project naming it.
    void UpdateClass(int projectId, int classId, const QString& className,
                     const QString& friendName);
    TClassList ListClasses(int projectId);
    TClassList ListOtherClasses(int projectId, int classId);

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
