#pragma once

#include "GeneratedFile.h"

// The domain class of each modelled class: src/com/<package>/domain/<ClassName>.java (GBK).
class TDomainOperate {
public:
    TDomainOperate() = delete;

    // One file per class, in class order.
    static TGeneratedFiles GenerateDomainClasses(const TBuildContext& context);
    static TGeneratedFile BuildDomainClass(const TBuildContext& context, const TClassModel& c);
};
