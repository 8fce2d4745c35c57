#pragma once

#include <QSet>
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

    // Names the generated Action declares, which the model's names must not take (ModelCheck).
    // Simple names every Action imports beside the model's classes.
    static inline const QSet<QString> kImports{"List",     "ActionContext",    "ActionSupport",
                                               "TestUtil", "ReferenceChoices", "FailureLog"};
    // Locals of the methods that also hold or take the class's object, named after the class.
    static inline const QSet<QString> kObjectLocals{"ctx"};
    // Properties of every Action, and the getClass() of every object.
    static inline const QStringList kProperties{"currentPage", "totalPage", "recordNumber",
                                                "class"};
};
