#pragma once

#include <QList>
#include <QString>

#include "DbHelper.h"

struct TClassEntry {
    QString className;
    qint64 classId = 0;
};
using TClassList = QList<TClassEntry>;

// The only code that reads or writes t_class.
class TClassDAO {
public:
    QString GetClassName(qint64 classId);
    QString GetFriendName(qint64 classId);
    // The class's database table; empty when it is named after the class.
    QString GetTableName(qint64 classId);
    qint64 GetClassId(qint64 projectId, const QString& className);
    qint64 CountClassesByName(qint64 projectId, const QString& className);
    // Returns the new class's id.
    qint64 AddClass(qint64 projectId, const QString& className, const QString& friendName,
                    const QString& tableName = QString());
    // Deletes the class and its members in one transaction.
    void DeleteClass(qint64 classId);
    // Renames the class and every member type word of the project naming it, in one
    // transaction.
    void UpdateClass(qint64 projectId, qint64 classId, const QString& className,
                     const QString& friendName, const QString& tableName = QString());
    TClassList ListClasses(qint64 projectId);
    TClassList ListOtherClasses(qint64 projectId, qint64 classId);

private:
    TClassList ListOf(const QString& sql, const QVariantList& params);

    TDbHelper db_;
};
