#pragma once

#include <QList>
#include <QString>
#include <random>

#include "Member.h"

// A model made up by chance: mostly one a user could enter, sometimes one the run refuses.
struct TRandomClass {
    QString className;
    QString friendName;
    QList<TMember> members; // ids are left at 0
    QString tableName;      // set: the model maps existing tables
};

struct TRandomModel {
    QList<TRandomClass> classes;

    // Stores the model as a new project; returns its id.
    int Store(const QString& projectName) const;
    // One line per class, for a failure message.
    QString Describe() const;
};

// Makes the model number `index` of the series started by `seed`; the same pair always gives
// the same model.
TRandomModel MakeRandomModel(unsigned seed, int index);
