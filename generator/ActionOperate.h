#pragma once

#include <QString>
#include <QStringList>

#include "GeneratedFile.h"

// The Struts 2 Action class of each modelled class:
// src/com/<package>/action/<ClassName>Action.java (GBK).
class TActionOperate {
public:
    TActionOperate() = delete;

    // One file per class, in class order.
    static TGeneratedFiles GenerateActionClasses(const TBuildContext& context);
    static TGeneratedFile BuildActionClass(const TBuildContext& context, const TClassModel& c);

    // The six methods, in file order; each text ends with its closing line and an empty line.
    static QString BuildAddViewAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildAddAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildQueryAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildModifyQueryAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildModifyAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildDeleteAction(const TBuildContext& context, const TClassModel& c);
    static QString BuildLookupAction(const TBuildContext& context, const TClassModel& c);

    // Properties of every Action, which the pages read, and the getClass() of every object: the
    // model's Action properties must not take these names (ModelCheck).
    static inline const QStringList kProperties{"currentPage", "totalPage", "recordNumber",
                                                "class"};
};
