#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ExchangeError.h"
#include "Member.h"
#include "ProjectDatabase.h"

// The one typed model every import source produces (a model file, an Access database of the
// earlier version, the schema of a database), before it is checked and stored. Each item keeps
// its place in the source ("projects[0].classes[2]", "t_class[classId=7]") for the messages.
struct TImportMember {
    TMember member;
    QString place;
};
struct TImportClass {
    QString className;
    QString friendName;
    QString place;
    QList<TImportMember> members;
    QString tableName; // empty: named after the class
};
struct TImportProject {
    QString projectName;
    QString namePlace; // where the name comes from
    QList<TImportClass> classes;
    TProjectDatabase database; // the defaults: MariaDB/MySQL, table Admin
};
using TImportModel = QList<TImportProject>;

// The member flags, by their names in a model file and in t_member alike; a flag is set when it
// is 1.
struct TMemberFlag {
    const char* name;
    qint64 TMember::*field;
};
inline constexpr TMemberFlag kMemberFlags[] = {{"memberIsPri", &TMember::memberIsPri},
                                               {"memberIsMust", &TMember::memberIsMust},
                                               {"memberIsInteger", &TMember::memberIsInteger},
                                               {"memberIsFloat", &TMember::memberIsFloat},
                                               {"queryFlag", &TMember::queryFlag},
                                               {"memberIsDisplay", &TMember::memberIsDisplay},
                                               {"memberQueryDisplay", &TMember::memberQueryDisplay}};

// The largest model file read, and the largest table mdb-export may print: far above any real
// model (16,000 classes of 15 members take 147 MiB).
inline constexpr qint64 kMaxImportBytes = 256 * 1024 * 1024;

// Checks the whole model (ImportCheck), then stores every project in one transaction
// (ImportStore), and returns their names. Throws TExchangeError, or TNameTakenError for a
// project name already in the database; nothing is stored then.
QStringList ImportModel(const TImportModel& model);
