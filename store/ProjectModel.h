#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "ClassDAO.h"
#include "Member.h"
#include "ProjectDatabase.h"

// One class of a project with all its members, in store order (by memberId).
struct TClassModel {
    qint64 classId = 0;
    QString className;
    QString friendName;
    QList<TMember> members;
    // The database table; empty: the table is named after the class.
    QString tableName;

    // The member sets the generators use, each in store order.
    QList<TMember> NonKeyMembers() const;    // memberIsPri = 0
    QList<TMember> QueryMembers() const;     // queryFlag = 1
    QList<TMember> ReferenceMembers() const; // type word is a class name
    // The first member with memberIsPri = 1 / memberIsDisplay = 1.
    std::optional<TMember> KeyMember() const;
    std::optional<TMember> DisplayMember() const;
    int CountKeyMembers() const;
    int CountDisplayMembers() const;
};

// A project's classes and members as read at one moment: a run works on this copy only,
// so edits made while it goes on do not change it.
class TProjectModel {
public:
    explicit TProjectModel(qint64 projectId = 0) : projectId_(projectId) {}

    qint64 ProjectId() const { return projectId_; }
    const QList<TClassModel>& Classes() const { return classes_; }
    // The database the generated application works on, and its Admin table.
    const TProjectDatabase& Database() const { return database_; }
    void SetDatabase(const TProjectDatabase& database) { database_ = database; }
    // True when a class names its database table: the model maps an existing database,
    // whose tables the application must not change. Read per member by the generators, so it
    // is counted as classes are added.
    bool MapsExistingTables() const;
    // Appends a class (store order); the reference stays valid until the next AddClass. Its
    // table name is taken as given here.
    TClassModel& AddClass(const TClassModel& c);

    // The first class of that name, or null.
    const TClassModel* FindClass(const QString& className) const;
    // The key member of the class named className, if the project has such a class with a key.
    std::optional<TMember> KeyMemberOfClass(const QString& className) const;

private:
    qint64 projectId_;
    QList<TClassModel> classes_; // by classId
    QHash<QString, qsizetype> firstByName_;
    qsizetype namedTables_ = 0; // classes added with a table name
    TProjectDatabase database_;
};

// Reads the project's classes and members with one query. A member whose length is out of
// range raises the error of TMemberDAO::CheckLength.
TProjectModel ReadProjectModel(qint64 projectId);
