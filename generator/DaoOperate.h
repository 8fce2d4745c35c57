#pragma once

#include <QSet>
#include <QString>

#include "GeneratedFile.h"

// The DAO class of each modelled class: src/com/<package>/dao/<ClassName>DAO.java (GBK).
class TDaoOperate {
public:
    TDaoOperate() = delete;

    // One file per class, in class order.
    static TGeneratedFiles GenerateDaoClasses(const TBuildContext& context);
    static TGeneratedFile BuildDaoClass(const TBuildContext& context, const TClassModel& c);

    // The seven methods, in file order; each text ends with "    }" and an empty line.
    static QString BuildAddMethod(const TClassModel& c);
    static QString BuildQueryMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildQueryAllMethod(const TClassModel& c);
    static QString BuildChoicesMethod(const TClassModel& c);
    static QString BuildLookupMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildCalculateMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildGetMethod(const TClassModel& c);
    static QString BuildUpdateMethod(const TClassModel& c);
    static QString BuildDeleteMethod(const TClassModel& c);

    // Names the generated DAO declares, which the model's names must not take (ModelCheck).
    // Simple names every DAO imports beside the model's classes.
    static inline const QSet<QString> kImports{"ArrayList", "List",         "HibernateException",
                                               "Query",     "Session",      "Transaction",
                                               "Statement", "HibernateUtil"};
    // Locals of the methods that take the query members as parameters.
    static inline const QSet<QString> kQueryMethodLocals{"s",          "hql", "q",
                                                         "startIndex", "mod", "currentPage"};
    // Locals of the methods that take the key as parameter.
    static inline const QSet<QString> kKeyMethodLocals{"s", "tx", "e"};
    // Locals of the methods that also hold or take the class's object, named after the class.
    static inline const QSet<QString> kObjectLocals{"s", "tx", "e"};
};
