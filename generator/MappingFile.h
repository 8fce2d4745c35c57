#pragma once

#include <QString>
#include <optional>

#include "GeneratedFile.h"

namespace MappingFile {

// src/com/<package>/domain/<ClassName>.hbm.xml from the mapping template text (UTF-8): the
// id element of the key member, a property per simple member, a many-to-one per reference.
TGeneratedFile BuildMappingFile(const TBuildContext& context, const TClassModel& c,
                                const QString& templateText);

// The display member whose column gets the index `lookup` for the key fields' look-up (a
// prefix search): a date, or a text short enough for an index in any MariaDB/MySQL row format
// (191 characters of 4 bytes); none when the display member is the key.
std::optional<TMember> LookupMember(const TClassModel& c);

// The member's database column: its own name, else the member's name.
QString ColumnOf(const TMember& m);

} // namespace MappingFile
