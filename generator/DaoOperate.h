#pragma once

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
    static QString BuildAddMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildQueryMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildQueryAllMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildChoicesMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildLookupMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildCalculateMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildGetMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildUpdateMethod(const TBuildContext& context, const TClassModel& c);
    static QString BuildDeleteMethod(const TBuildContext& context, const TClassModel& c);
};
