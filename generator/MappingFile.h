#pragma once

#include <QString>

#include "GeneratedFile.h"

namespace MappingFile {

// src/com/<package>/domain/<ClassName>.hbm.xml from the mapping template text (UTF-8): the
// id element of the key member, a property per simple member, a many-to-one per reference.
TGeneratedFile BuildMappingFile(const TBuildContext& context, const TClassModel& c,
                                const QString& templateText);

} // namespace MappingFile
