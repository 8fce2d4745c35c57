#pragma once

#include <QSet>
#include <QString>

#include "ProjectModel.h"

// The model's class names an Action or DAO of class c sees: its own and those it references.
QSet<QString> ClassesSeenBy(const TClassModel& c);

// The names one generated Java file writes for the types and locals of its own code. A type is
// written by its simple name (and imported) unless a model class the file sees has that name;
// then it is written fully qualified. A local is renamed with "$" appended where a model name in
// its scope has its name: model names cannot hold "$", so the new name cannot clash again.
class TJavaNames {
public:
    // `packageName`: the generated package, of the fixed support classes (OwnType);
    // `classes`: the model's class names the file sees (its package's, its imports);
    // `renamed`: the locals that a model name in their scope takes.
    TJavaNames(QString packageName, QSet<QString> classes, QSet<QString> renamed);

    // "java.util.List" -> "List", or the qualified name when a model class is named List.
    QString Type(const QString& qualified) const;
    // Type of a fixed support class: "utils.FailureLog" is com.<package>.utils.FailureLog.
    QString OwnType(const QString& tail) const;
    // "com.<package>." + tail.
    QString Qualified(const QString& tail) const;
    // True while the type is written by its simple name, so that the file imports it.
    bool Imports(const QString& qualified) const;
    QString Local(const QString& name) const;

private:
    QString packageName_;
    QSet<QString> classes_;
    QSet<QString> renamed_;
};
